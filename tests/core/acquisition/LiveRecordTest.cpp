// The shared live record: starts empty, is cleared before each fill, and a
// copy taken while another thread keeps writing is always one whole record.
#include "acquisition/LiveRecord.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <thread>

namespace {

// Every field derived from one number, so a record mixing two writes shows.
void stamp(MeasurementRecord& r, std::int32_t n)
{
    const float f = static_cast<float>(n);
    r.auxValue = f;
    r.voltage = f;
    r.current = f;
    r.temperature = f;
    r.capacity = n;
    for (float& cell : r.cellVoltage)
        cell = f;
    r.elapsedSeconds = n;
    r.batteryType = n;
    r.chargeMode = n;
}

bool isWhole(const MeasurementRecord& r)
{
    MeasurementRecord expected;
    stamp(expected, r.capacity);
    return sameBits(r, expected);
}

TEST(LiveRecord, IsEmptyBeforeTheFirstWrite)
{
    LiveRecord live;
    EXPECT_TRUE(sameBits(live.copy(), MeasurementRecord{}));
}

TEST(LiveRecord, WriteStartsFromAnEmptyRecord)
{
    LiveRecord live;
    live.write([](MeasurementRecord& r) { stamp(r, 5); });
    live.write([](MeasurementRecord& r) { r.voltage = 1.0f; });
    MeasurementRecord expected;
    expected.voltage = 1.0f;
    EXPECT_TRUE(sameBits(live.copy(), expected));
}

TEST(LiveRecord, CopyUnderContentionNeverSeesAMixedRecord)
{
    LiveRecord live;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (std::int32_t n = 1; n <= 200000; ++n)
            live.write([n](MeasurementRecord& r) {
                // Fill field by field so that a torn read has room to happen.
                stamp(r, n);
            });
        done = true;
    });
    long copies = 0;
    long mixed = 0;
    std::int32_t last = 0;
    bool wentBackwards = false;
    while (!done.load() || copies == 0) {
        const MeasurementRecord r = live.copy();
        ++copies;
        if (!isWhole(r))
            ++mixed;
        if (r.capacity < last)
            wentBackwards = true;
        last = r.capacity;
    }
    writer.join();
    EXPECT_EQ(mixed, 0);
    EXPECT_FALSE(wentBackwards);
    EXPECT_EQ(live.copy().capacity, 200000);
    EXPECT_GT(copies, 0);
}

} // namespace
