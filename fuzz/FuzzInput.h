#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <utility>

// The fuzzer's bytes as one text, or as two texts split at the first zero byte.
inline QString fuzzText(const uint8_t* data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline std::pair<QString, QString> fuzzTexts(const uint8_t* data, size_t size)
{
    size_t split = 0;
    while (split < size && data[split] != 0)
        ++split;
    const size_t rest = split < size ? split + 1 : size;
    return {fuzzText(data, split), fuzzText(data + rest, size - rest)};
}

// A check that holds for every input: a failure is a crash the fuzzer keeps.
#define FUZZ_ASSERT(condition)                                                                     \
    do {                                                                                           \
        if (!(condition))                                                                          \
            __builtin_trap();                                                                      \
    } while (false)
