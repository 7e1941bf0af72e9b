#pragma once

#include "acquisition/MeasurementRecord.h"

#include <mutex>

// The decoder's record, shared between the acquisition thread (writer) and the
// recording tick (reader). Both touch it only as a whole, under recordLock.
class LiveRecord {
public:
    // Clear all 64 bytes and let `fill` assign the fields, all under the lock,
    // so a reader never sees a record that mixes two frames.
    template <class Fill>
    void write(Fill&& fill)
    {
        std::lock_guard<std::mutex> guard(recordLock_);
        record_ = MeasurementRecord{};
        fill(record_);
    }

    // A 64-byte copy under the lock.
    MeasurementRecord copy() const
    {
        std::lock_guard<std::mutex> guard(recordLock_);
        return record_;
    }

private:
    mutable std::mutex recordLock_;
    MeasurementRecord record_{};
};
