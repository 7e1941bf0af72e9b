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
    // Column by column with +=: g++ 12 at -O2 warns falsely (-Wrestrict) about
    // "literal" + std::string temporaries.
    std::string out = std::to_string(t.bytes.size());
    const auto column = [&out](const std::string& text) {
        out += ',';
        out += text;
    };
    if (!t.fields || t.fields->kind == "end") {
        // Not decoded by a reader: kind only, the value columns stay empty.
        if (t.fields) {
            column(std::to_string(t.fields->variant));
            column("end");
        } else {
            column("");
            column(t.note);
        }
        out.append(kValueColumns, ',');
    } else {
        const FrameFields& f = *t.fields;
        column(std::to_string(f.variant));
        column(f.kind);
        for (float v : {f.auxValue, f.voltage, f.current, f.temperature})
            column(number(v));
        column(std::to_string(f.capacity));
        for (float cell : f.cells)
            column(number(cell));
        column(std::to_string(f.batteryType));
        column(std::to_string(f.chargeMode));
    }
    column(hex(t.bytes));
    return out;
}

void FrameLog::record(const Transmission& t)
{
    if (file_ == nullptr || t.kind == Transmission::Kind::Noise)
        return;
    std::fputs((line(t) + "\n").c_str(), file_);
    std::fflush(file_); // a test may read it while the simulator still runs
}
