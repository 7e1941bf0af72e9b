#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What a frame carries, as a reader decodes it from the bytes.
struct FrameFields {
    int length = 0;
    int variant = 0; // 1: 76 bytes, 2: 112 bytes
    std::string kind; // "start", "end" or "running"
    float auxValue = 0.0f;
    float voltage = 0.0f;
    float current = 0.0f;
    float temperature = 0.0f;
    std::int32_t capacity = 0;
    std::array<float, 8> cells{};
    std::int32_t batteryType = 0;
    std::int32_t chargeMode = 0;
};

// Builds one charger frame byte by byte from the frame tables: a value v is
// sent as integer byte int(v) + 128 and hundredths byte; counts as a hundreds
// pair. Bytes not set stay 0x80 (zero), so no filler can end a frame early.
class FrameBuilder {
public:
    explicit FrameBuilder(int variant); // 1 or 2

    int variant() const { return variant_; }
    static int lengthOfVariant(int variant) { return variant == 2 ? 112 : 76; }

    // Variant 1: byte 24 (0x81 start, 0x80 end, else running).
    // Variant 2: byte 1 (0x80 end, else a charge in progress).
    FrameBuilder& marker(std::uint8_t byte);
    FrameBuilder& chargeMode(int mode);       // variant 1 only; variant 2 derives it from byte 1
    FrameBuilder& batteryType(int typeIndex); // 1 LiPo, 2 NiMH, 3 NiCd, 4 Pb: each variant's code
    FrameBuilder& auxValue(double v);
    FrameBuilder& voltage(double v);
    FrameBuilder& current(double v);
    FrameBuilder& temperature(int degrees); // variant 1 only
    FrameBuilder& capacity(int mAh);
    FrameBuilder& cell(int index, double v); // 0-based; variant 2 carries 6

    // Raw access for broken frames (a 0x00 inside, say).
    FrameBuilder& setByte(int index, std::uint8_t byte);

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    // The fields as a reader decodes these bytes.
    FrameFields fields() const;

    static int cellCapacity(int variant) { return variant == 2 ? 6 : 8; }

private:
    void decimalPair(int index, double v);
    void hundredsPair(int index, int value);
    void signedByte(int index, int value);

    int variant_;
    std::vector<std::uint8_t> bytes_;
};
