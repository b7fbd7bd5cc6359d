#include "RatioReporter.h"

#include <cstdio>
#include <ostream>

namespace telvora::bench {

namespace {

std::string milliseconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f ms", seconds * 1e3);
    return text;
}

} // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        m_failed = m_failed || run.error_occurred;
        if (run.run_type != Run::RT_Iteration || run.error_occurred)
            continue;
        const std::string name = run.run_name.function_name;
        if (!m_seconds.count(name))
            m_order.push_back(name);
        // With repetitions the fastest counts: what slows a run down (another process, the
        // machine's clock) only ever adds, so the least is the nearest to the work's own cost.
        // Repetitions interleaved at random (--benchmark_enable_random_interleaving) let both
        // sides of a ratio meet the same moments of a busy machine.
        const double seconds =
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        const auto known = m_seconds.find(name);
        if (known == m_seconds.end() || seconds < known->second)
            m_seconds[name] = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize()
{
    std::ostream& out = GetOutputStream();
    char line[160];
    std::snprintf(line, sizeof line, "\n%-30s %12s %14s %8s\n", "operation", "Telvora",
                  "SQLite alone", "ratio");
    out << line;
    const std::string suffix = kBareSuffix;
    for (const std::string& name : m_order) {
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            continue;
        const auto bare = m_seconds.find(name + suffix);
        const double ours = m_seconds.at(name);
        if (bare == m_seconds.end() || bare->second <= 0) {
            std::snprintf(line, sizeof line, "%-30s %12s %14s %8s\n", name.c_str(),
                          milliseconds(ours).c_str(), "-", "-");
        } else {
            std::snprintf(line, sizeof line, "%-30s %12s %14s %7.2fx\n", name.c_str(),
                          milliseconds(ours).c_str(), milliseconds(bare->second).c_str(),
                          ours / bare->second);
        }
        out << line;
    }
    out.flush();
    ConsoleReporter::Finalize();
}

} // namespace telvora::bench
