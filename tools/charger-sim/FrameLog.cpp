#include "FrameLog.h"

#include <cstdio>

namespace {

std::string number(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

std::string hex(const std::vector<std::uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0x0F]);
    }
    return out;
}

constexpr int kValueColumns = 15; // auxValue .. chargeMode

} // namespace

FrameLog::~FrameLog()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

bool FrameLog::open(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr)
        return false;
    std::fputs((header() + "\n").c_str(), file_);
    std::fflush(file_);
    return true;
}

std::string FrameLog::header()
{
    return "length,variant,kind,auxValue,voltage,current,temperature,capacity,"
           "cell1,cell2,cell3,cell4,cell5,cell6,cell7,cell8,batteryType,chargeMode,hex";
}

std::string FrameLog::line(const Transmission& t)
{
    std::string out = std::to_string(t.bytes.size()) + ",";
    if (!t.fields || t.fields->kind == "end") {
        // Not decoded by a reader: kind only, the value columns stay empty.
        out += t.fields ? std::to_string(t.fields->variant) + ",end" : "," + t.note;
        out += std::string(kValueColumns, ',');
    } else {
        const FrameFields& f = *t.fields;
        out += std::to_string(f.variant) + "," + f.kind + "," + number(f.auxValue) + "," + number(f.voltage)
            + "," + number(f.current) + "," + number(f.temperature) + "," + std::to_string(f.capacity);
        for (float cell : f.cells)
            out += "," + number(cell);
        out += "," + std::to_string(f.batteryType) + "," + std::to_string(f.chargeMode);
    }
    return out + "," + hex(t.bytes);
}

void FrameLog::record(const Transmission& t)
{
    if (file_ == nullptr || t.kind == Transmission::Kind::Noise)
        return;
    std::fputs((line(t) + "\n").c_str(), file_);
    std::fflush(file_); // a test may read it while the simulator still runs
}
