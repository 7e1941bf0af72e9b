#pragma once

// Reading back the CSV lines the harnesses check.

#include <charconv>
#include <cstring>
#include <string>
#include <vector>

// The comma-separated fields of `line` (the CSVs checked quote nothing).
inline std::vector<std::string> columns(const std::string& line)
{
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == ',')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

// Whether the whole of `text` reads as a float with the very bits of `expected`.
inline bool sameFloat(const std::string& text, float expected)
{
    float value = 0.0f;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    return std::memcmp(&value, &expected, sizeof value) == 0;
}
