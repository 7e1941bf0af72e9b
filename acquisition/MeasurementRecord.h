#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// One measurement: the live record, the tick's snapshot, a history entry and
// the unit of a log file. The byte layout is the log file format, so it never
// changes: sixteen little-endian 4-byte fields, no padding.
struct MeasurementRecord {
    float auxValue = 0.0f;        // logged only
    float voltage = 0.0f;         // V
    float current = 0.0f;         // A
    float temperature = 0.0f;     // whole degrees
    std::int32_t capacity = 0;    // mAh
    float cellVoltage[8] = {};    // V
    std::int32_t elapsedSeconds = 0;
    std::int32_t batteryType = 0; // code, read together with frameVariant
    std::int32_t chargeMode = 0;  // 1 charging, anything else discharging
};

static_assert(sizeof(float) == 4);
static_assert(sizeof(MeasurementRecord) == 64);
static_assert(offsetof(MeasurementRecord, auxValue) == 0);
static_assert(offsetof(MeasurementRecord, voltage) == 4);
static_assert(offsetof(MeasurementRecord, current) == 8);
static_assert(offsetof(MeasurementRecord, temperature) == 12);
static_assert(offsetof(MeasurementRecord, capacity) == 16);
static_assert(offsetof(MeasurementRecord, cellVoltage) == 20);
static_assert(offsetof(MeasurementRecord, elapsedSeconds) == 52);
static_assert(offsetof(MeasurementRecord, batteryType) == 56);
static_assert(offsetof(MeasurementRecord, chargeMode) == 60);

constexpr std::size_t kRecordSize = 64;
using RecordBytes = std::array<std::uint8_t, kRecordSize>;

// Serialisation independent of the host's byte order.
RecordBytes toBytes(const MeasurementRecord& record);
MeasurementRecord fromBytes(const std::uint8_t* bytes); // reads kRecordSize bytes

// Field-by-field bit equality (floats compared by their bits, so -0.0 != 0.0 and NaN == NaN).
bool sameBits(const MeasurementRecord& a, const MeasurementRecord& b);
