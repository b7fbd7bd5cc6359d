#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

namespace telvora::bench {

// The console report, followed by a table that puts each operation beside its bare-SQLite
// twin (the benchmark of the same name ending in "/sqlite") and the ratio of the two.
class RatioReporter final : public benchmark::ConsoleReporter
{
public:
    static constexpr const char* kBareSuffix = "/sqlite";

    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

    // Seconds per iteration of every benchmark that ran without error, by name.
    const std::map<std::string, double>& seconds() const { return m_seconds; }
    bool anyFailed() const { return m_failed; }

private:
    std::vector<std::string> m_order;
    std::map<std::string, double> m_seconds;
    bool m_failed = false;
};

} // namespace telvora::bench
