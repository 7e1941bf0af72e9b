// Takes arbitrary bytes as a log file and runs them through everything that
// reads logs: the reader, replay into the history and the axis ranges, the
// recording check, the summary, the CSV export and the chart arithmetic, and
// checks what comes out: the records are the file's 64-byte pieces; span,
// step, x-scale and history follow the replay rules; every value lies within
// its axis range; CSV fields read back to the same bits; every computed
// pixel lies inside the plot.
#include "CsvFields.h"
#include "FuzzCheck.h"

#include "analysis/AnalysisRun.h"
#include "analysis/RangeStats.h"
#include "analysis/StatsReport.h"
#include "charts/ChartMath.h"
#include "library/ScannedLog.h"
#include "recording/LogCsv.h"
#include "recording/LogReader.h"
#include "recording/LogReplay.h"
#include "recording/LogSummary.h"
#include "recording/SilentRecordingHost.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// The log file: an in-memory file, opened by path like any other.
class MemoryFile {
public:
    MemoryFile() : fd_(::memfd_create("trelvane-fuzz-log", MFD_CLOEXEC)) {}
    bool write(const std::uint8_t* data, std::size_t size)
    {
        if (fd_ < 0 || ::ftruncate(fd_, 0) != 0)
            return false;
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

// Floats are written with nine significant digits; NaN reads back as some NaN.
bool readsBack(const std::string& text, float expected)
{
    if (std::isnan(expected))
        return text.find("nan") != std::string::npos;
    return sameFloat(text, expected);
}

void checkCsv(const MeasurementRecord& r)
{
    static const std::size_t headerColumns = columns(LogCsv::header()).size();
    const std::vector<std::string> c = columns(LogCsv::row(r));
    fuzzCheck(c.size() == headerColumns, "a CSV row has as many columns as the header");
    fuzzCheck(c[0] == std::to_string(r.elapsedSeconds), "CSV stamp");
    fuzzCheck(c[1] == LogCsv::clock(r.elapsedSeconds), "CSV time");
    fuzzCheck(readsBack(c[2], r.voltage) && readsBack(c[3], r.current), "CSV voltage and current read back");
    fuzzCheck(c[4] == std::to_string(r.capacity), "CSV capacity");
    fuzzCheck(readsBack(c[5], r.temperature), "CSV temperature reads back");
    for (int cell = 0; cell < 8; ++cell)
        fuzzCheck(readsBack(c[6 + static_cast<std::size_t>(cell)], r.cellVoltage[cell]), "CSV cells read back");
    fuzzCheck(c[14] == std::to_string(r.batteryType) && c[15] == std::to_string(r.chargeMode), "CSV type and mode");
    fuzzCheck(readsBack(c[16], r.auxValue), "CSV aux value reads back");
}

bool within(double v, const AxisRange& range)
{
    return v >= static_cast<double>(range.minimum) && v <= static_cast<double>(range.maximum);
}

// Every series point and every line pixel the charts would draw, and the labels.
void checkChartArithmetic(const ChartState& state)
{
    const PlotRect& plot = state.plotRect;
    for (int q = 0; q < kQuantityCount; ++q) {
        const AxisRange& range = state.ranges[static_cast<std::size_t>(q)];
        ChartMath::Pixel previous{};
        for (int i = 0; i < state.historyCount; ++i) {
            const double v = quantityValue(state.history[static_cast<std::size_t>(i)], static_cast<Quantity>(q));
            const int x = ChartMath::clampCoordinate(static_cast<double>(plot.left) + static_cast<double>(i) * state.xScale);
            fuzzCheck(x >= plot.left && x < plot.right, "a history entry's x lies inside the plot");
            const int y = ChartMath::valueToY(v, range.minimum, range.maximum, plot.top, plot.bottom);
            fuzzCheck(std::abs(y) <= ChartMath::kCoordinateLimit, "y stays within the coordinate limit");
            if (within(v, range))
                fuzzCheck(y >= plot.top && y <= plot.bottom, "a value inside its range is drawn inside the plot");
            if (i > 0) {
                const int left = std::min(previous.x, x), right = std::max(previous.x, x) + 1;
                const int top = std::min(previous.y, y), bottom = std::max(previous.y, y) + 1;
                for (const ChartMath::Pixel& p : ChartMath::linePixels(previous.x, previous.y, x, y, 0, 0, 1024, 700)) {
                    fuzzCheck(p.x >= 0 && p.x < 1024 && p.y >= 0 && p.y < 700, "a line pixel lies inside its box");
                    fuzzCheck(p.x >= left && p.x < right && p.y >= top && p.y < bottom, "a line pixel lies on its segment");
                }
            }
            previous = {x, y};
        }
        for (int i = 0; i <= 5; ++i) {
            const double label = ChartMath::valueLabelValue(range.minimum, range.maximum, i, 0.2f);
            if (!std::isfinite(label))
                continue;
            const std::string text = ChartMath::formatValue(label);
            double back = 0.0;
            const auto result = std::from_chars(text.data(), text.data() + text.size(), back);
            fuzzCheck(result.ec == std::errc() && std::fabs(back - label) <= 0.005 + std::fabs(label) * 1e-15,
                      "a value label reads back to within its two decimals");
        }
    }
    const long long step = state.timeSpan / 10;
    for (int i = 0; i <= 10; ++i) {
        const std::string text = ChartMath::timeLabel(state.timeSpan, i);
        long long h = 0, m = 0, s = 0;
        fuzzCheck(std::sscanf(text.c_str(), "%lld:%lld:%lld", &h, &m, &s) == 3, "a time label is h:mm:ss");
        fuzzCheck(m < 60 && s < 60 && h * 3600 + m * 60 + s == i * step, "a time label is i tenths of the span");
    }
}

void checkReplayState(const std::vector<MeasurementRecord>& records, const ChartState& state, const ReplayReport& report)
{
    const auto n = static_cast<std::int64_t>(records.size());
    int span = 10;
    while (span < n)
        span *= 2;
    const int step = span > kHistoryCapacity ? span / kHistoryCapacity : 1;
    fuzzCheck(state.timeSpan == span, "the span is the smallest 10 x 2^k not below the record count");
    fuzzCheck(state.thinningStep == step, "the step is span / 320 beyond 320, else 1");
    fuzzCheck(state.xScale == (n <= kHistoryCapacity ? 640 / span : 2), "the x-scale is 640 / span up to 320, else 2");

    std::vector<const MeasurementRecord*> selected;
    for (const MeasurementRecord& r : records) {
        if (static_cast<std::uint32_t>(r.elapsedSeconds) % static_cast<std::uint32_t>(step) == 0)
            selected.push_back(&r);
    }
    const auto kept = std::min<std::size_t>(selected.size(), kHistoryCapacity);
    fuzzCheck(state.historyCount == static_cast<int>(kept), "the history holds the selected records, at most 320");
    fuzzCheck(report.ignoredSelections == static_cast<std::int64_t>(selected.size() - kept), "the rest is counted as ignored");
    for (std::size_t i = 0; i < kept; ++i)
        fuzzCheck(sameBits(state.history[i], *selected[i]), "history entries are the selected records in order");
    for (std::size_t i = kept; i < state.history.size(); ++i)
        fuzzCheck(sameBits(state.history[i], MeasurementRecord{}), "entries past the count stay empty");
    if (n > 0)
        fuzzCheck(sameBits(state.snapshotRecord, records.back()), "the snapshot is the last record");

    // Every record widens the ranges, so each value lies inside its range,
    // unless the range is undefined (NaN); capacity's first value starts 5 below it.
    for (int q = 0; q < kQuantityCount; ++q) {
        const AxisRange& range = state.ranges[static_cast<std::size_t>(q)];
        if (std::isnan(range.minimum) || std::isnan(range.maximum))
            continue;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const double v = quantityValue(records[i], static_cast<Quantity>(q));
            if (std::isnan(v) || (i == 0 && static_cast<Quantity>(q) == Quantity::Capacity))
                continue;
            // Capacity is widened with the float nearest the integer, which may round past it.
            const double slack = static_cast<Quantity>(q) == Quantity::Capacity ? std::fabs(v) * 1e-7 : 0.0;
            fuzzCheck(v >= static_cast<double>(range.minimum) - slack && v <= static_cast<double>(range.maximum) + slack,
                      "every value lies within its axis range");
        }
    }
}

// What the analysis and the run library make of the same file: every record
// loaded, the statistics of the whole run printed with every digit and one
// line per row, and a run in the library only when the file is whole.
void checkAnalysis(const std::string& path, const std::vector<MeasurementRecord>& records, std::size_t size)
{
    AnalysisRun run(path);
    fuzzCheck(run.load(), "the analysis loads the file");
    fuzzCheck(run.data().size() == records.size(), "the analysis holds every record");
    if (!records.empty()) {
        const RangeStats stats = rangeStats(run.data(), 0, records.size() - 1);
        const std::vector<Aggregate> aggregates = ::aggregates(stats);
        for (const Aggregate& a : aggregates) {
            if (a.clock || !std::isfinite(a.value))
                continue;
            const std::string text = formatValue(a.value, a.decimals);
            double back = 0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
            fuzzCheck(error == std::errc() && end == text.data() + text.size(), "a figure is one whole number");
            fuzzCheck(std::fabs(back - a.value) <= 0.5 * std::pow(10.0, -a.decimals) + std::fabs(a.value) * 1e-15,
                      "a figure keeps every digit");
        }
        std::size_t shown = 0;
        for (const RangeStats::TraceValues& v : stats.traces)
            shown += v.shown ? 1 : 0;
        const std::string text = statsText("run.tvr", stats);
        const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        fuzzCheck(!text.empty() && text.back() == '\n' && lines == 2 + aggregates.size() + 2 + shown,
                  "the text has one line per figure and per shown quantity");
        const std::string json = statsJson("run.tvr", stats);
        fuzzCheck(json.rfind("{", 0) == 0 && json.find("\"file\": \"run.tvr\"") != std::string::npos,
                  "the JSON is an object naming the file");
    }

    const ScannedLog scanned = scanLog(path);
    fuzzCheck((scanned.verdict == ScannedLog::Verdict::Empty) == (size == 0), "only an empty file is empty");
    if (scanned.isRun())
        fuzzCheck(size % kRecordSize == 0 && scanned.figures.records == static_cast<std::int64_t>(records.size()),
                  "a run is a whole file, every record of it");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static MemoryFile file;
    fuzzCheck(file.write(data, size), "the input becomes a file");
    const std::string path = file.path();

    // The reader: the file's whole 64-byte pieces, then the fragment's size.
    std::vector<MeasurementRecord> records;
    {
        LogReader reader(path);
        fuzzCheck(reader.isOpen(), "the file opens");
        for (std::size_t count; (count = reader.next()) > 0;) {
            for (std::size_t i = 0; i < count; ++i)
                records.push_back(reader.at(i));
        }
        fuzzCheck(reader.error().empty(), "the file reads to its end");
        fuzzCheck(records.size() == size / kRecordSize, "every whole record is delivered");
        fuzzCheck(reader.trailingBytes() == static_cast<int>(size % kRecordSize), "the fragment's size is told");
        for (std::size_t i = 0; i < records.size(); ++i)
            fuzzCheck(sameBits(records[i], fromBytes(data + i * kRecordSize)), "a record is its 64 bytes");
    }

    // Replay, with the recording check it makes on the way.
    ChartState state;
    SharedWords words;
    words.runMode = RunMode::Replay;
    SilentRecordingHost host;
    SampleHistory history(state, words, host);
    const ReplayReport report = readLogFile(path, history);
    fuzzCheck(report.opened && report.error.empty(), "replay reads the file");
    fuzzCheck(report.records == static_cast<std::int64_t>(records.size()), "replay counts every record");
    fuzzCheck(report.trailingBytes == static_cast<int>(size % kRecordSize), "replay tells the fragment");
    checkReplayState(records, state, report);
    if (!records.empty()) {
        const int expected = records.front().chargeMode == 1 ? CellsStatus::Charge : CellsStatus::Discharge;
        fuzzCheck(words.cellsStatus == expected, "the first record decides the cells status");
    }
    fuzzCheck(words.cellCount == 0, "replay shows no cell indicators");

    std::int64_t firstBad = 0;
    for (std::size_t i = 0; i < records.size() && firstBad == 0; ++i) {
        if (records[i].elapsedSeconds != static_cast<std::int64_t>(i) + 1)
            firstBad = static_cast<std::int64_t>(i) + 1;
    }
    const LogFileCheck& check = report.check;
    fuzzCheck(check.firstBadPosition() == firstBad, "the check finds the first stamp out of step");
    fuzzCheck(check.looksLikeRecording() == (firstBad == 0 && size % kRecordSize == 0),
              "a file looks like a recording exactly when its stamps count up from 1 and it has no fragment");
    fuzzCheck(check.describe().empty() == check.looksLikeRecording(), "what is odd is said, and only then");

    // The summary sees the same file.
    LogSummary summary;
    fuzzCheck(summary.read(path), "the summary reads the file");
    fuzzCheck(summary.records() == report.records && summary.firstGapPosition() == firstBad
                  && summary.trailingBytes() == report.trailingBytes,
              "the summary agrees with replay");
    for (int field = 0; field < LogSummary::kFieldCount; ++field) {
        const LogSummary::Extent& e = summary.extent(field);
        fuzzCheck(!e.any || e.minimum <= e.maximum, "an extent runs from its minimum to its maximum");
    }

    // The CSV export, and what the charts compute from the replay. A row does
    // not depend on where its record stands, so the first rows stand for all.
    constexpr std::size_t kCsvRows = 64;
    for (std::size_t i = 0; i < std::min(records.size(), kCsvRows); ++i)
        checkCsv(records[i]);
    checkChartArithmetic(state);
    checkAnalysis(path, records, size);
    return 0;
}
