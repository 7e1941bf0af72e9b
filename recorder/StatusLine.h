#pragma once

#include "acquisition/MeasurementRecord.h"

#include <string>

// The recorder's once-a-second status: elapsed time, the latest record's
// voltage, current, capacity, temperature and non-zero cells, and the count
// of records on disk. While the line is down there is no fresh record to show.
std::string statusLine(const MeasurementRecord& record, int elapsedSeconds, long long recordsWritten,
                       bool lineDown);
