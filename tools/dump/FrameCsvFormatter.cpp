#include "FrameCsvFormatter.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr int kFieldCount = 15; // auxValue .. chargeMode

// "%.9g" without the C library's locale: enough digits to give the float back.
void appendFloat(std::string& out, float value)
{
    std::array<char, 32> text{};
    auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                std::chars_format::general, 9);
    out.append(text.data(), result.ptr);
}

const char* kindName(FrameKind kind)
{
    switch (kind) {
    case FrameKind::Start: return "start";
    case FrameKind::End: return "end";
    case FrameKind::Running: return "running";
    }
    return "running";
}

void appendFields(std::string& out, const MeasurementRecord& r)
{
    auto next = [&out] { out += ','; };
    next(); appendFloat(out, r.auxValue);
    next(); appendFloat(out, r.voltage);
    next(); appendFloat(out, r.current);
    next(); appendFloat(out, r.temperature);
    next(); out += std::to_string(r.capacity);
    for (float cell : r.cellVoltage) {
        next();
        appendFloat(out, cell);
    }
    next(); out += std::to_string(r.batteryType);
    next(); out += std::to_string(r.chargeMode);
}

} // namespace

std::string FrameCsvFormatter::header() const
{
    std::string out = "length,variant,kind,auxValue,voltage,current,temperature,capacity";
    for (int cell = 1; cell <= 8; ++cell)
        out += ",cell" + std::to_string(cell);
    out += ",batteryType,chargeMode";
    if (withHex_)
        out += ",hex";
    return out;
}

std::string FrameCsvFormatter::line(const FrameBuffer& frame, int length, int variant) const
{
    std::string out = std::to_string(length) + ',' + std::to_string(variant) + ',';
    if (variant != 1 && variant != 2) {
        out += "unknown";
        out.append(kFieldCount, ',');
    } else {
        const FrameKind kind = classifyFrame(frame, variant);
        out += kindName(kind);
        if (kind == FrameKind::End) {
            out.append(kFieldCount, ',');
        } else {
            MeasurementRecord record;
            fillRecord(record, frame, variant);
            appendFields(out, record);
        }
    }
    if (withHex_) {
        static constexpr char kDigits[] = "0123456789abcdef";
        out += ',';
        const int stored = std::clamp(length, 0, kFrameBufferSize);
        for (int i = 0; i < stored; ++i) {
            const std::uint8_t byte = frame[static_cast<std::size_t>(i)];
            out += kDigits[byte >> 4];
            out += kDigits[byte & 0x0F];
        }
    }
    return out;
}
