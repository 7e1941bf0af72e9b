#include "library/RunColumns.h"

#include "analysis/StatsReport.h"
#include "library/Chemistry.h"
#include "library/ContentHash.h"
#include "recording/LogCsv.h"

#include <array>
#include <ctime>

namespace {

constexpr int kText = -1;

constexpr std::array<RunColumnInfo, kRunColumnCount> kColumns = {{
    {"id", "Run", "", 0, 0},
    {"start", "Start", "", kText, -1},
    {"duration_s", "Duration", "", 0, 0},
    {"mode", "Mode", "", kText, -1},
    {"battery_type", "Type", "", kText, -1},
    {"cells", "Cells", "", 0, 0},
    {"capacity_mAh", "Capacity", "mAh", 0, 1},
    {"integrated_mAh", "Integrated", "mAh", 0, 1},
    {"energy_Wh", "Energy", "Wh", 2, 3},
    {"peak_V", "Peak", "V", 2, 3},
    {"end_V", "End", "V", 2, 3},
    {"peak_A", "Peak", "A", 2, 3},
    {"peak_temperature_deg", "Peak temp.", "°", 0, 0},
    {"end_spread_mV", "End spread", "mV", 0, 1},
    {"largest_spread_mV", "Largest spread", "mV", 0, 1},
    {"pack", "Pack", "", kText, -1},
    {"file", "File", "", kText, -1},
    {"cell1_V", "Cell 1", "V", 3, 4},
    {"cell2_V", "Cell 2", "V", 3, 4},
    {"cell3_V", "Cell 3", "V", 3, 4},
    {"cell4_V", "Cell 4", "V", 3, 4},
    {"cell5_V", "Cell 5", "V", 3, 4},
    {"cell6_V", "Cell 6", "V", 3, 4},
    {"cell7_V", "Cell 7", "V", 3, 4},
    {"cell8_V", "Cell 8", "V", 3, 4},
    {"hash", "Content hash", "", kText, -1},
}};

std::optional<std::tm> local(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (::localtime_r(&t, &tm) == nullptr)
        return std::nullopt;
    return tm;
}

std::string format(std::int64_t seconds, const char* pattern)
{
    const std::optional<std::tm> tm = local(seconds);
    char text[64];
    if (!tm || std::strftime(text, sizeof text, pattern, &*tm) == 0)
        return std::to_string(seconds);
    return text;
}

} // namespace

const RunColumnInfo& runColumnInfo(RunColumn column)
{
    return kColumns[static_cast<std::size_t>(column)];
}

std::vector<RunColumn> listedColumns()
{
    return {RunColumn::Id,          RunColumn::Start,       RunColumn::Duration,    RunColumn::Mode,
            RunColumn::Type,        RunColumn::Cells,       RunColumn::Capacity,    RunColumn::Integrated,
            RunColumn::Energy,      RunColumn::PeakVoltage, RunColumn::EndVoltage,  RunColumn::PeakCurrent,
            RunColumn::PeakTemperature, RunColumn::EndSpread, RunColumn::LargestSpread, RunColumn::Pack,
            RunColumn::File};
}

std::vector<RunColumn> csvColumns()
{
    std::vector<RunColumn> all;
    for (std::size_t i = 0; i < kRunColumnCount; ++i)
        all.push_back(runColumnAt(i));
    return all;
}

std::optional<double> runNumber(const LibraryRun& run, RunColumn column)
{
    const RunFigures& f = run.figures;
    switch (column) {
    case RunColumn::Id: return static_cast<double>(run.id);
    case RunColumn::Start: return static_cast<double>(run.startTime);
    case RunColumn::Duration: return f.duration;
    case RunColumn::Cells: return f.cells;
    case RunColumn::Capacity: return f.capacity;
    case RunColumn::Integrated: return f.integratedCapacity;
    case RunColumn::Energy: return f.energy;
    case RunColumn::PeakVoltage: return f.peakVoltage;
    case RunColumn::EndVoltage: return f.endVoltage;
    case RunColumn::PeakCurrent: return f.peakCurrent;
    case RunColumn::PeakTemperature: return f.peakTemperature;
    case RunColumn::EndSpread: return f.endSpread;
    case RunColumn::LargestSpread: return f.largestSpread;
    case RunColumn::Cell1:
    case RunColumn::Cell2:
    case RunColumn::Cell3:
    case RunColumn::Cell4:
    case RunColumn::Cell5:
    case RunColumn::Cell6:
    case RunColumn::Cell7:
    case RunColumn::Cell8:
        return f.endCells[static_cast<std::size_t>(column) - static_cast<std::size_t>(RunColumn::Cell1)];
    case RunColumn::Mode:
    case RunColumn::Type:
    case RunColumn::Pack:
    case RunColumn::File:
    case RunColumn::Hash: break;
    }
    return std::nullopt;
}

std::string runText(const LibraryRun& run, RunColumn column)
{
    switch (column) {
    case RunColumn::Start: return localTime(run.startTime);
    case RunColumn::Duration: return LogCsv::clock(static_cast<std::int64_t>(run.figures.duration));
    case RunColumn::Mode: return modeName(run.figures.mode);
    case RunColumn::Type: return chemistryName(chemistryOf(run.figures.batteryType));
    case RunColumn::Pack: return run.packName;
    case RunColumn::File: return run.path.empty() ? "(no file)" : run.path;
    case RunColumn::Hash: return ContentHash::hex(run.hash);
    default: {
        const std::optional<double> v = runNumber(run, column);
        return v ? formatValue(*v, runColumnInfo(column).decimals) : "-";
    }
    }
}

std::string runCsv(const LibraryRun& run, RunColumn column)
{
    switch (column) {
    case RunColumn::Start: return isoTime(run.startTime);
    case RunColumn::Duration: return formatValue(run.figures.duration, 0);
    case RunColumn::Type: return std::to_string(run.figures.batteryType);
    case RunColumn::File: return csvField(run.path);
    case RunColumn::Mode:
    case RunColumn::Pack:
    case RunColumn::Hash: return csvField(runText(run, column));
    default: {
        const std::optional<double> v = runNumber(run, column);
        return v ? formatValue(*v, runColumnInfo(column).csvDecimals) : "";
    }
    }
}

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string localTime(std::int64_t seconds)
{
    return format(seconds, "%Y-%m-%d %H:%M");
}

std::string isoTime(std::int64_t seconds)
{
    const std::string text = format(seconds, "%Y-%m-%dT%H:%M:%S%z");
    // strftime writes +0100; ISO 8601 for people and parsers alike is +01:00.
    const std::size_t n = text.size();
    if (n <= 5 || (text[n - 5] != '+' && text[n - 5] != '-'))
        return text;
    return text.substr(0, n - 2) + ":" + text.substr(n - 2);
}

const char* modeName(RunFigures::Mode mode)
{
    return mode == RunFigures::Mode::Charge ? "charge" : "discharge";
}
