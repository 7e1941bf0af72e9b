#include "library/FinishedRecording.h"

#include "library/LibraryError.h"
#include "library/LibraryPaths.h"
#include "library/LibraryScan.h"
#include "library/RunLibrary.h"

namespace {

// As a POSIX shell reads it back whatever the name holds ($, quotes, spaces).
std::string shellQuoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

AddedRecording addFinishedRecording(const std::string& logPath, const std::string& libraryPath, int busyTimeoutMs)
{
    AddedRecording added;
    const std::string library = libraryPath.empty() ? defaultLibraryPath() : libraryPath;
    const std::string path = libraryPathOf(logPath);
    const std::string later = " The log file is complete; add it later with: trelvane-library scan " + shellQuoted(path);

    const ScannedLog log = scanLog(path);
    if (log.verdict == ScannedLog::Verdict::Empty) {
        added.result = AddedRecording::Result::Nothing;
        return added;
    }
    if (!log.isRun()) {
        added.notice = "The run in " + path + " was not added to the run library: " + log.problem + "."
                       + (log.verdict == ScannedLog::Verdict::Unreadable ? later : std::string());
        return added;
    }
    try {
        RunLibrary runs(library, RunLibrary::Access::Write, busyTimeoutMs);
        SqliteTransaction transaction(runs.database());
        runs.record(path, log);
        transaction.commit();
        added.result = AddedRecording::Result::Added;
    } catch (const LibraryError& e) {
        added.notice = "The run in " + path + " was not added to the run library " + e.subject() + ": " + e.reason()
                       + "." + later;
    } catch (const std::exception& e) {
        added.notice = "The run in " + path + " was not added to the run library " + library + ": " + e.what() + "."
                       + later;
    }
    return added;
}
