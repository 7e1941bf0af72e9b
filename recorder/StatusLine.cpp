#include "recorder/StatusLine.h"

#include "recording/LogCsv.h"

#include <cstdio>

namespace {

constexpr int kCellSlots = 8;

std::string printed(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string records(long long count)
{
    return std::to_string(count) + (count == 1 ? " record" : " records");
}

} // namespace

std::string statusLine(const MeasurementRecord& record, int elapsedSeconds, long long recordsWritten, bool lineDown)
{
    std::string line = LogCsv::clock(elapsedSeconds);
    if (lineDown)
        return line + "  line lost, waiting  " + records(recordsWritten);

    line += "  " + printed("%.2f V", static_cast<double>(record.voltage));
    line += "  " + printed("%.2f A", static_cast<double>(record.current));
    line += "  " + std::to_string(record.capacity) + " mAh";
    line += "  " + printed("%.0f C", static_cast<double>(record.temperature));
    std::string cells;
    for (int cell = 0; cell < kCellSlots; ++cell) {
        // As the overview prints them: a 0.0 cell is left out.
        if (record.cellVoltage[cell] != 0.0f)
            cells += printed(" %.2f", static_cast<double>(record.cellVoltage[cell]));
    }
    if (!cells.empty())
        line += "  cells" + cells;
    return line + "  " + records(recordsWritten);
}
