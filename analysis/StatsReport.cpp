#include "analysis/StatsReport.h"

#include "analysis/TimeAxis.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int kSecondsDecimals = 0;

// Twelve significant digits, '.' whatever the locale: the records hold 32-bit
// floats (seven digits), so this keeps every digit they have and hides the
// rounding of long sums.
std::string jsonNumber(double v)
{
    if (!std::isfinite(v))
        return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.12g", v);
    for (char* c = text; *c; ++c) {
        if (*c == ',')
            *c = '.';
    }
    return text;
}

// Length of the valid UTF-8 sequence at text[i], 0 if it is not one.
std::size_t utf8Length(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    std::size_t n;
    unsigned int value;
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        value = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        value = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        value = b & 0x07;
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (n == 3 && value < 0x800) || (n == 4 && value < 0x10000);
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return overlong || surrogate || value > 0x10FFFF ? 0 : n;
}

} // namespace

std::vector<Aggregate> aggregates(const RangeStats& s)
{
    return {
        {"duration_s", "Duration", "", s.duration, kSecondsDecimals, true},
        {"delta_voltage_V", "Delta V", "V", s.deltaVoltage, 3, false},
        {"capacity_delta_mAh", "Delta mAh (capacity field)", "mAh", s.capacityDelta, 0, false},
        {"charge_delta_mAh", "Delta mAh (integrated current)", "mAh", s.chargeDelta, 1, false},
        {"energy_Wh", "Energy", "Wh", s.energy, 3, false},
        {"mean_current_A", "Mean current", "A", s.meanCurrent, 3, false},
        {"largest_spread_mV", "Largest cell spread", "mV", s.largestSpread, 0, false},
        {"largest_spread_time_s", "Largest cell spread at", "", s.largestSpreadTime, kSecondsDecimals, true},
    };
}

std::string formatValue(double value, int decimals)
{
    if (!std::isfinite(value))
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    for (char& c : out) {
        if (c == ',')
            c = '.';
    }
    if (out.size() > 1 && out[0] == '-' && out.find_first_not_of("-0.") == std::string::npos)
        out.erase(0, 1); // "-0.00" reads as a sign that is not there
    return out;
}

std::string formatAggregate(const Aggregate& a)
{
    if (a.clock)
        return clockText(a.value);
    const std::string number = formatValue(a.value, a.decimals);
    return number == "-" ? number : number + " " + a.unit;
}

std::string statsText(const std::string& file, const RangeStats& s)
{
    std::string out = "file: " + file + "\n";
    out += "range: " + clockText(s.timeA) + " to " + clockText(s.timeB) + " (records " + std::to_string(s.a + 1)
        + " to " + std::to_string(s.b + 1) + ")\n";
    for (const Aggregate& a : aggregates(s))
        out += std::string(a.label) + ": " + formatAggregate(a) + "\n";
    char line[200];
    std::snprintf(line, sizeof line, "\n%-22s %-4s %12s %12s %12s %12s %12s\n", "quantity", "unit", "start", "end",
                  "delta", "minimum", "maximum");
    out += line;
    for (std::size_t t = 0; t < kTraceCount; ++t) {
        const RangeStats::TraceValues& v = s.traces[t];
        if (!v.shown)
            continue;
        const TraceInfo& info = traceInfo(traceAt(t));
        const int d = info.decimals + 1;
        std::snprintf(line, sizeof line, "%-22s %-4s %12s %12s %12s %12s %12s\n", info.label, info.keyUnit,
                      formatValue(v.atA, d).c_str(), formatValue(v.atB, d).c_str(),
                      formatValue(v.atB - v.atA, d).c_str(), formatValue(v.extent.minimum, d).c_str(),
                      formatValue(v.extent.maximum, d).c_str());
        out += line;
    }
    return out;
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t n = utf8Length(text, i);
        if (n == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out.append(text, i, n);
        }
        i += n;
    }
    return out + "\"";
}

std::string statsJson(const std::string& file, const RangeStats& s)
{
    std::string out = "{\"file\": " + jsonString(file);
    out += ", \"from_s\": " + jsonNumber(s.timeA) + ", \"to_s\": " + jsonNumber(s.timeB);
    out += ", \"first_record\": " + std::to_string(s.a + 1) + ", \"last_record\": " + std::to_string(s.b + 1);
    for (const Aggregate& a : aggregates(s))
        out += std::string(", \"") + a.key + "\": " + jsonNumber(a.value);
    out += ", \"quantities\": {";
    bool first = true;
    for (std::size_t t = 0; t < kTraceCount; ++t) {
        const RangeStats::TraceValues& v = s.traces[t];
        if (!v.shown)
            continue;
        out += first ? "" : ", ";
        first = false;
        out += jsonString(jsonKey(traceAt(t))) + ": {\"start\": " + jsonNumber(v.atA) + ", \"end\": "
            + jsonNumber(v.atB) + ", \"delta\": " + jsonNumber(v.atB - v.atA) + ", \"minimum\": "
            + jsonNumber(v.extent.empty() ? std::nan("") : v.extent.minimum) + ", \"maximum\": "
            + jsonNumber(v.extent.empty() ? std::nan("") : v.extent.maximum) + "}";
    }
    return out + "}}\n";
}
