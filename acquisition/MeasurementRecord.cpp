#include "acquisition/MeasurementRecord.h"

#include <bit>
#include <cstring>

namespace {

void putWord(std::uint8_t* out, std::uint32_t word)
{
    out[0] = static_cast<std::uint8_t>(word);
    out[1] = static_cast<std::uint8_t>(word >> 8);
    out[2] = static_cast<std::uint8_t>(word >> 16);
    out[3] = static_cast<std::uint8_t>(word >> 24);
}

std::uint32_t getWord(const std::uint8_t* in)
{
    return static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8)
        | (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

// The sixteen words in file order.
template <class Record, class Visit>
void forEachWord(Record& r, Visit&& visit)
{
    visit(r.auxValue);
    visit(r.voltage);
    visit(r.current);
    visit(r.temperature);
    visit(r.capacity);
    for (auto& cell : r.cellVoltage)
        visit(cell);
    visit(r.elapsedSeconds);
    visit(r.batteryType);
    visit(r.chargeMode);
}

template <class T>
std::uint32_t bitsOf(T value) { return std::bit_cast<std::uint32_t>(value); }

} // namespace

RecordBytes toBytes(const MeasurementRecord& record)
{
    RecordBytes bytes{};
    std::size_t offset = 0;
    forEachWord(record, [&](const auto& field) {
        putWord(bytes.data() + offset, bitsOf(field));
        offset += 4;
    });
    return bytes;
}

MeasurementRecord fromBytes(const std::uint8_t* bytes)
{
    MeasurementRecord record;
    std::size_t offset = 0;
    forEachWord(record, [&](auto& field) {
        field = std::bit_cast<std::remove_reference_t<decltype(field)>>(getWord(bytes + offset));
        offset += 4;
    });
    return record;
}

bool sameBits(const MeasurementRecord& a, const MeasurementRecord& b)
{
    return toBytes(a) == toBytes(b);
}
