#include "analysis/StatsReport.h"

#include "analysis/TimeAxis.h"
#include "text/Utf8.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kSecondsDecimals = 0;

// Twelve significant digits, '.' whatever the locale: the records hold 32-bit
// floats (seven digits), so this keeps every digit they have and hides the
// rounding of long sums.
constexpr int kJsonDigits = 12;
// The longest number a double makes in fixed notation: 309 digits before the
// point, a sign, the point and the decimals asked for (at most kMostDecimals).
constexpr int kMostDecimals = 17;
constexpr std::size_t kLongestNumber = 309 + 2 + kMostDecimals;

std::string jsonNumber(double v)
{
    if (!std::isfinite(v))
        return "null";
    char text[kLongestNumber];
    return {text, std::to_chars(text, text + sizeof text, v, std::chars_format::general, kJsonDigits).ptr};
}

// The table's columns: name and unit to the left, numbers to the right.
constexpr std::size_t kNameWidth = 22;
constexpr std::size_t kUnitWidth = 4;
constexpr std::size_t kNumberWidth = 12;

void padded(std::string& out, const std::string& text, std::size_t width, bool right)
{
    const std::size_t pad = text.size() < width ? width - text.size() : 0;
    if (right)
        out.append(pad, ' ');
    out += text;
    if (!right)
        out.append(pad, ' ');
}

std::string tableRow(const std::string& name, const std::string& unit, const std::array<std::string, 5>& numbers)
{
    std::string row;
    padded(row, name, kNameWidth, false);
    row += ' ';
    padded(row, unit, kUnitWidth, false);
    for (const std::string& number : numbers) {
        row += ' ';
        padded(row, number, kNumberWidth, true);
    }
    return row + '\n';
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
    char text[kLongestNumber];
    const int digits = std::clamp(decimals, 0, kMostDecimals);
    std::string out(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, digits).ptr);
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
    out += '\n' + tableRow("quantity", "unit", {"start", "end", "delta", "minimum", "maximum"});
    for (std::size_t t = 0; t < kTraceCount; ++t) {
        const RangeStats::TraceValues& v = s.traces[t];
        if (!v.shown)
            continue;
        const TraceInfo& info = traceInfo(traceAt(t));
        const int d = info.decimals + 1;
        out += tableRow(info.label, info.keyUnit,
                        {formatValue(v.atA, d), formatValue(v.atB, d), formatValue(v.atB - v.atA, d),
                         formatValue(v.extent.minimum, d), formatValue(v.extent.maximum, d)});
    }
    return out;
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t n = utf8At(text, i).length;
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
