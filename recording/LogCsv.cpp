#include "recording/LogCsv.h"

#include <cstdio>

namespace {

// "%.9g" keeps every float's bits, with a '.' whatever the locale says.
void appendFloat(std::string& out, float v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    for (char* c = text; *c; ++c) {
        if (*c == ',')
            *c = '.';
    }
    out += text;
}

void appendInt(std::string& out, std::int64_t v)
{
    out += std::to_string(v);
}

} // namespace

std::string LogCsv::header()
{
    return "elapsedSeconds,time,voltage,current,capacity,temperature,"
           "cell1,cell2,cell3,cell4,cell5,cell6,cell7,cell8,batteryType,chargeMode,auxValue";
}

std::string LogCsv::clock(std::int64_t seconds)
{
    const bool negative = seconds < 0;
    const std::int64_t s = negative ? -seconds : seconds;
    char text[40];
    std::snprintf(text, sizeof text, "%s%lld:%02lld:%02lld", negative ? "-" : "",
                  static_cast<long long>(s / 3600), static_cast<long long>(s / 60 % 60),
                  static_cast<long long>(s % 60));
    return text;
}

std::string LogCsv::row(const MeasurementRecord& r)
{
    std::string out;
    out.reserve(192);
    appendInt(out, r.elapsedSeconds);
    out += ',';
    out += clock(r.elapsedSeconds);
    for (float v : {r.voltage, r.current}) {
        out += ',';
        appendFloat(out, v);
    }
    out += ',';
    appendInt(out, r.capacity);
    out += ',';
    appendFloat(out, r.temperature);
    for (float cell : r.cellVoltage) {
        out += ',';
        appendFloat(out, cell);
    }
    out += ',';
    appendInt(out, r.batteryType);
    out += ',';
    appendInt(out, r.chargeMode);
    out += ',';
    appendFloat(out, r.auxValue);
    return out;
}
