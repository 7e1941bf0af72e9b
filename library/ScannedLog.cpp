#include "library/ScannedLog.h"

#include "analysis/RunData.h"
#include "library/ContentHash.h"
#include "recording/LogFileCheck.h"
#include "recording/LogReader.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <system_error>

#include <sys/stat.h>

namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
// A charger reading beyond this, in any unit the record holds, is no reading:
// the bytes are not a record.
constexpr double kPlausibleMagnitude = 1000.0;

bool plausible(float v)
{
    return std::isfinite(v) && std::fabs(static_cast<double>(v)) < kPlausibleMagnitude;
}

// What a record written by the recording tick always satisfies: stamps that
// rise as a recording's (with gaps where a recorder reconnected) and readings
// that are numbers of a sane size. Random or
// foreign bytes fail within the first records.
bool looksRecorded(const MeasurementRecord& r, std::int32_t previousStamp)
{
    if (!LogFileCheck::rises(r.elapsedSeconds, previousStamp))
        return false;
    if (!plausible(r.auxValue) || !plausible(r.voltage) || !plausible(r.current) || !plausible(r.temperature))
        return false;
    for (const float cell : r.cellVoltage) {
        if (!plausible(cell))
            return false;
    }
    return true;
}

// The hash is of the file's bytes: on a little-endian machine the records are them.
void hashRecords(ContentHash& hash, const LogReader& reader, std::size_t count)
{
    if constexpr (std::endian::native == std::endian::little) {
        hash.add(&reader.at(0), count * kRecordSize);
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const RecordBytes bytes = toBytes(reader.at(i));
            hash.add(bytes.data(), bytes.size());
        }
    }
}

ScannedLog problem(ScannedLog log, ScannedLog::Verdict verdict, std::string why)
{
    log.verdict = verdict;
    log.problem = std::move(why);
    return log;
}

} // namespace

bool stampOf(const std::string& path, FileStamp& stamp, std::string& error)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = std::generic_category().message(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = LogReader::kNotRegular;
        return false;
    }
    stamp.size = static_cast<std::int64_t>(st.st_size);
    stamp.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNsPerSecond + st.st_mtim.tv_nsec;
    return true;
}

const char* verdictName(ScannedLog::Verdict verdict)
{
    switch (verdict) {
    case ScannedLog::Verdict::Run: return "run";
    case ScannedLog::Verdict::Empty: return "empty";
    case ScannedLog::Verdict::Unreadable: return "unreadable";
    case ScannedLog::Verdict::Truncated: return "truncated";
    case ScannedLog::Verdict::Foreign: return "not a log";
    case ScannedLog::Verdict::Changing: return "being written";
    }
    return "?";
}

ScannedLog scanLog(const std::string& path)
{
    ScannedLog log;
    std::string error;
    if (!stampOf(path, log.stamp, error))
        return problem(log, ScannedLog::Verdict::Unreadable, error);
    if (log.stamp.size == 0)
        return problem(log, ScannedLog::Verdict::Empty, ScannedLog::kNoRecords);

    LogReader reader(path);
    if (!reader.isOpen())
        return problem(log, ScannedLog::Verdict::Unreadable, reader.error());

    ContentHash hash;
    RunData run;
    MeasurementRecord first;
    std::int32_t previousStamp = LogFileCheck::kBeforeFirst;
    std::int64_t index = 0;
    while (const std::size_t count = reader.next()) {
        for (std::size_t i = 0; i < count; ++i, ++index) {
            const MeasurementRecord& r = reader.at(i);
            if (!looksRecorded(r, previousStamp))
                return problem(log, ScannedLog::Verdict::Foreign,
                               "record " + std::to_string(index + 1) + " is not one this program writes");
            previousStamp = r.elapsedSeconds;
        }
        if (index == static_cast<std::int64_t>(count)) {
            first = reader.at(0);
            // Only now is the size a promise of records: a sparse or foreign
            // file of any size fails the first block.
            run.reserve(static_cast<std::size_t>(log.stamp.size) / kRecordSize);
        }
        hashRecords(hash, reader, count);
        run.append(&reader.at(0), count);
    }
    if (!reader.error().empty())
        return problem(log, ScannedLog::Verdict::Unreadable, reader.error());
    if (reader.trailingBytes() != 0)
        return problem(log, ScannedLog::Verdict::Truncated,
                       "ends in " + std::to_string(reader.trailingBytes()) + " bytes that are not a whole record");

    // A recording appends while we read: its figures would be of a part.
    FileStamp after;
    if (!stampOf(path, after, error) || !(after == log.stamp))
        return problem(log, ScannedLog::Verdict::Changing, "changed while it was read; scan again when the recording has ended");

    log.verdict = ScannedLog::Verdict::Run;
    log.hash = hash.value();
    log.figures = runFigures(run, first);
    log.endTime = log.stamp.modifiedNs / kNsPerSecond;
    log.startTime = log.endTime - static_cast<std::int64_t>(std::llround(log.figures.duration));
    return log;
}
