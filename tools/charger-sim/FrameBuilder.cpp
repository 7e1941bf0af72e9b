#include "FrameBuilder.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

constexpr std::uint8_t kOpen = 0x7B;
constexpr std::uint8_t kClose = 0x7D;
constexpr std::uint8_t kZero = 0x80;

struct Layout {
    int marker, chargeMode, batteryType, aux, voltage, current, temperature, capacity, firstCell;
};
// -1: the variant does not carry the field.
constexpr Layout kVariant1{24, 8, 23, 41, 35, 33, 38, 43, 45};
constexpr Layout kVariant2{1, -1, 2, 4, 15, 11, -1, 7, 19};

const Layout& layout(int variant)
{
    return variant == 2 ? kVariant2 : kVariant1;
}

int signedValue(std::uint8_t byte)
{
    return int(byte) - 128;
}

float decimalValue(std::uint8_t integerByte, std::uint8_t hundredthsByte)
{
    // Same rounding as the receiving side: the product with the
    // single-precision 0.01 and the sum in double, one conversion at the end.
    return static_cast<float>(double(signedValue(hundredthsByte)) * double(0.01f)
                              + double(signedValue(integerByte)));
}

} // namespace

FrameBuilder::FrameBuilder(int variant)
    : variant_(variant == 2 ? 2 : 1), bytes_(std::size_t(lengthOfVariant(variant_)), kZero)
{
    bytes_.front() = kOpen;
    bytes_.back() = kClose;
}

void FrameBuilder::signedByte(int index, int value)
{
    const int byte = value + 128;
    if (byte <= 0 || byte > 255 || byte == kClose)
        throw std::out_of_range("value " + std::to_string(value) + " cannot be sent at byte "
                                + std::to_string(index));
    bytes_.at(std::size_t(index)) = std::uint8_t(byte);
}

void FrameBuilder::decimalPair(int index, double v)
{
    if (!std::isfinite(v) || std::fabs(v) > 127.0)
        throw std::out_of_range("decimal value out of range");
    const long hundredths = std::lround(v * 100.0);
    signedByte(index, int(hundredths / 100)); // truncation toward zero, as int(v)
    signedByte(index + 1, int(hundredths % 100));
}

void FrameBuilder::hundredsPair(int index, int value)
{
    signedByte(index, value / 100);
    signedByte(index + 1, value % 100);
}

FrameBuilder& FrameBuilder::marker(std::uint8_t byte)
{
    bytes_.at(std::size_t(layout(variant_).marker)) = byte;
    return *this;
}

FrameBuilder& FrameBuilder::chargeMode(int mode)
{
    if (layout(variant_).chargeMode >= 0)
        signedByte(layout(variant_).chargeMode, mode);
    return *this;
}

FrameBuilder& FrameBuilder::batteryType(int typeIndex)
{
    static constexpr std::uint8_t kVariant2Codes[] = {128, 128, 132, 133, 134};
    const int index = std::clamp(typeIndex, 1, 4);
    if (variant_ == 2)
        bytes_.at(std::size_t(layout(variant_).batteryType)) = kVariant2Codes[index];
    else
        signedByte(layout(variant_).batteryType, index);
    return *this;
}

FrameBuilder& FrameBuilder::auxValue(double v)
{
    decimalPair(layout(variant_).aux, v);
    return *this;
}

FrameBuilder& FrameBuilder::voltage(double v)
{
    decimalPair(layout(variant_).voltage, v);
    return *this;
}

FrameBuilder& FrameBuilder::current(double v)
{
    decimalPair(layout(variant_).current, v);
    return *this;
}

FrameBuilder& FrameBuilder::temperature(int degrees)
{
    if (layout(variant_).temperature >= 0)
        signedByte(layout(variant_).temperature, degrees);
    return *this;
}

FrameBuilder& FrameBuilder::capacity(int mAh)
{
    hundredsPair(layout(variant_).capacity, mAh);
    return *this;
}

FrameBuilder& FrameBuilder::cell(int index, double v)
{
    if (index < 0 || index >= cellCapacity(variant_))
        throw std::out_of_range("no such cell in this frame variant");
    decimalPair(layout(variant_).firstCell + 2 * index, v);
    return *this;
}

FrameBuilder& FrameBuilder::setByte(int index, std::uint8_t byte)
{
    bytes_.at(std::size_t(index)) = byte;
    return *this;
}

FrameFields FrameBuilder::fields() const
{
    const Layout& at = layout(variant_);
    auto byte = [this](int index) { return bytes_.at(std::size_t(index)); };
    FrameFields f;
    f.length = int(bytes_.size());
    f.variant = variant_;
    const std::uint8_t marker = byte(at.marker);
    if (marker == 0x80)
        f.kind = "end";
    else if (variant_ == 2 || marker == 0x81)
        f.kind = "start"; // in 112-byte frames every frame but the end starts a charge
    else
        f.kind = "running";
    f.auxValue = decimalValue(byte(at.aux), byte(at.aux + 1));
    f.voltage = decimalValue(byte(at.voltage), byte(at.voltage + 1));
    f.current = decimalValue(byte(at.current), byte(at.current + 1));
    f.temperature = at.temperature >= 0 ? float(signedValue(byte(at.temperature))) : 0.0f;
    f.capacity = 100 * signedValue(byte(at.capacity)) + signedValue(byte(at.capacity + 1));
    for (int i = 0; i < cellCapacity(variant_); ++i)
        f.cells[std::size_t(i)] = decimalValue(byte(at.firstCell + 2 * i), byte(at.firstCell + 2 * i + 1));
    if (variant_ == 2) {
        f.batteryType = byte(at.batteryType);
        f.chargeMode = int(marker) - 129;
    } else {
        f.batteryType = signedValue(byte(at.batteryType));
        f.chargeMode = signedValue(byte(at.chargeMode));
    }
    return f;
}
