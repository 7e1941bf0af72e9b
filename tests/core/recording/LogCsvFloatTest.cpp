// The CSV's float column against printf's "%.9g" itself, character for
// character: every decade edge and the floats around it, values that round
// up into the next decade, halfway cases, the ranges left to std::to_chars
// (zero, tiny, huge, infinities, NaN) and a sweep of arbitrary bit patterns.
#include "recording/LogCsv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

std::string printed(float v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    return text;
}

std::string written(float v)
{
    char text[LogCsv::kMaxRowLength];
    return std::string(text, LogCsv::writeFloat(text, v));
}

float fromBits(std::uint32_t bits)
{
    float v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

std::uint32_t bitsOf(float v)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

TEST(LogCsvFloat, WritesExactlyWhatPrintfWrites)
{
    std::vector<float> values = {0.0f,        -0.0f,       1.0f,        -1.0f,      0.1f,       0.01f,
                                 1e-4f,       -1e-4f,      1e-5f,       9.9999997e-5f, 999999936.0f, 1e9f,
                                 999999999.0f, 99999.9961f, 0.5f,        3.6f,       4.2f,       12.6f,
                                 16777217.0f, 2.5e-3f,     123456789.0f, 0.000123456789f,
                                 std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::min()};
    // Two thousand floats on either side of every power of ten in and near the fast range.
    for (int k = -6; k <= 10; ++k) {
        const std::uint32_t edge = bitsOf(static_cast<float>(std::pow(10.0, k)));
        for (std::uint32_t d = 0; d < 2000; ++d) {
            values.push_back(fromBits(edge + d));
            values.push_back(-fromBits(edge - d));
        }
    }
    // Halfway cases: whole numbers beyond nine digits' reach that end in 5.
    for (float v = 100000000.0f; v < 100002000.0f; v += 8.0f)
        values.push_back(v);
    // Arbitrary bit patterns (a fixed sequence).
    std::uint32_t state = 12345;
    for (int i = 0; i < 300000; ++i) {
        state = state * 1664525u + 1013904223u;
        values.push_back(fromBits(state));
    }
    int mismatches = 0;
    for (float v : values) {
        if (written(v) != printed(v) && ++mismatches <= 10)
            ADD_FAILURE() << "bits " << std::hex << bitsOf(v) << ": wrote " << written(v) << ", printf " << printed(v);
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace
