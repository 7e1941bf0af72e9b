// The 64-byte record: little-endian layout at the documented offsets, and a
// bit-exact round trip through the bytes of a log file.
#include "acquisition/MeasurementRecord.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::uint32_t wordAt(const RecordBytes& bytes, int offset)
{
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16)
        | (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

TEST(MeasurementRecord, EmptyRecordIsSixtyFourZeroBytes)
{
    RecordBytes bytes = toBytes(MeasurementRecord{});
    for (auto b : bytes)
        EXPECT_EQ(b, 0);
}

TEST(MeasurementRecord, FieldsLandAtTheirOffsetsLittleEndian)
{
    MeasurementRecord r;
    r.auxValue = 1.5f;          // 0x3FC00000
    r.voltage = 12.25f;         // 0x41440000
    r.current = -2.0f;          // 0xC0000000
    r.temperature = 25.0f;      // 0x41C80000
    r.capacity = 0x01020304;
    r.cellVoltage[0] = 4.0f;    // 0x40800000
    r.cellVoltage[7] = 0.5f;    // 0x3F000000
    r.elapsedSeconds = 321;
    r.batteryType = 132;
    r.chargeMode = -1;
    RecordBytes b = toBytes(r);
    EXPECT_EQ(wordAt(b, 0), 0x3FC00000u);
    EXPECT_EQ(wordAt(b, 4), 0x41440000u);
    EXPECT_EQ(wordAt(b, 8), 0xC0000000u);
    EXPECT_EQ(wordAt(b, 12), 0x41C80000u);
    EXPECT_EQ(b[16], 0x04);
    EXPECT_EQ(b[17], 0x03);
    EXPECT_EQ(b[18], 0x02);
    EXPECT_EQ(b[19], 0x01);
    EXPECT_EQ(wordAt(b, 20), 0x40800000u);
    EXPECT_EQ(wordAt(b, 48), 0x3F000000u);
    EXPECT_EQ(wordAt(b, 52), 321u);
    EXPECT_EQ(wordAt(b, 56), 132u);
    EXPECT_EQ(wordAt(b, 60), 0xFFFFFFFFu);
}

TEST(MeasurementRecord, RoundTripIsBitIdenticalIncludingOddFloats)
{
    MeasurementRecord r;
    r.auxValue = -0.0f;
    r.voltage = std::numeric_limits<float>::quiet_NaN();
    r.current = std::numeric_limits<float>::infinity();
    r.temperature = std::numeric_limits<float>::denorm_min();
    r.capacity = std::numeric_limits<std::int32_t>::min();
    for (int i = 0; i < 8; ++i)
        r.cellVoltage[i] = 3.7f + 0.01f * static_cast<float>(i);
    r.elapsedSeconds = 86400;
    r.batteryType = 4;
    r.chargeMode = 1;
    RecordBytes b = toBytes(r);
    MeasurementRecord back = fromBytes(b.data());
    EXPECT_TRUE(sameBits(r, back));
    EXPECT_EQ(std::memcmp(&back.capacity, &r.capacity, 4), 0);
    EXPECT_EQ(toBytes(back), b);
}

} // namespace
