#include "library/LibraryScan.h"

#include "library/SqliteDatabase.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

bool isLogName(const fs::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == LibraryScan::kExtension;
}

// Regular .tvr files below `folder`, without following links (a link to a
// folder above would never end). A folder that cannot be opened or read to
// its end is reported with the reason, and its siblings are walked all the
// same: one iterator per open folder, as an error ends only its own.
void walk(const fs::path& folder, std::vector<std::string>& files, ScanReport& report,
          const std::function<void()>& found)
{
    std::vector<fs::directory_iterator> open;
    const auto enter = [&](const fs::path& path) {
        std::error_code error;
        fs::directory_iterator it(path, error);
        if (error)
            report.problems.push_back({path.string(), error.message(), true});
        else
            open.push_back(std::move(it));
    };
    enter(folder);
    while (!open.empty()) {
        fs::directory_iterator& it = open.back();
        if (it == fs::directory_iterator()) {
            open.pop_back();
            continue;
        }
        const fs::directory_entry entry = *it;
        std::error_code error;
        it.increment(error);
        if (error) {
            report.problems.push_back({entry.path().parent_path().string(), error.message(), true});
            open.pop_back();
        }
        const fs::file_status status = entry.symlink_status(error);
        if (error) {
            report.problems.push_back({entry.path().string(), error.message(), true});
            continue;
        }
        if (fs::is_directory(status)) {
            enter(entry.path());
        } else if (fs::is_regular_file(status) && isLogName(entry.path())) {
            files.push_back(entry.path().string());
            found();
        }
    }
}

// One file too large for memory is a problem of that file, not of the scan;
// not remembered, so a later scan with more memory tries again.
ScannedLog scanOne(const std::string& path)
{
    try {
        return scanLog(path);
    } catch (const std::bad_alloc&) {
        ScannedLog log;
        log.verdict = ScannedLog::Verdict::Unreadable;
        log.problem = LibraryScan::kTooLarge;
        return log;
    }
}

} // namespace

std::string libraryPathOf(const std::string& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(path, error);
    if (error)
        return path;
    // The folder's real name; the file keeps its own (a link to a log is listed as the link).
    const fs::path folder = fs::weakly_canonical(absolute.parent_path(), error);
    return (error ? absolute : folder / absolute.filename()).lexically_normal().string();
}

ScanReport LibraryScan::scan(const std::vector<std::string>& places, const Progress& progress)
{
    ScanReport report;
    ScanProgress state;
    const auto tell = [&] {
        if (progress)
            progress(state);
    };

    std::vector<std::string> files;
    std::vector<std::string> folders;
    for (const std::string& place : places) {
        std::error_code error;
        const fs::file_status status = fs::status(place, error);
        if (error) {
            report.problems.push_back({place, error.message(), true});
        } else if (fs::is_directory(status)) {
            std::string folder = fs::weakly_canonical(fs::absolute(place), error).string();
            folders.push_back(folder);
            walk(folder, files, report, [&] {
                ++state.found;
                if ((state.found & 1023) == 0)
                    tell();
            });
        } else {
            // A file named on its own is taken whatever its name.
            files.push_back(libraryPathOf(place));
        }
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    report.files = static_cast<std::int64_t>(files.size());
    state.found = report.files;
    state.walking = false;
    tell();

    const auto known = library_.knownFiles();
    std::unordered_set<std::string> seen(files.begin(), files.end());

    // Logs are read outside any transaction; what was read is written in
    // batches, so another program never waits long for the library.
    struct Read {
        std::string path;
        ScannedLog log;
    };
    std::vector<Read> pending;
    auto lastCommit = std::chrono::steady_clock::now();
    const auto flush = [&] {
        if (pending.empty())
            return;
        SqliteTransaction transaction(library_.database());
        for (const Read& r : pending) {
            const RunLibrary::Recorded recorded = library_.record(r.path, r.log);
            switch (recorded.outcome) {
            case RunLibrary::Outcome::Added:
            case RunLibrary::Outcome::Replaced: ++report.added; break;
            case RunLibrary::Outcome::Moved:
            case RunLibrary::Outcome::Found: ++report.moved; break;
            case RunLibrary::Outcome::Copy: ++report.copies; break;
            case RunLibrary::Outcome::Unchanged: ++report.unchanged; break;
            case RunLibrary::Outcome::NotARun: break;
            }
        }
        transaction.commit();
        pending.clear();
        lastCommit = std::chrono::steady_clock::now();
    };

    for (const std::string& path : files) {
        ++state.done;
        FileStamp stamp;
        std::string error;
        const auto it = known.find(path);
        if (it != known.end() && stampOf(path, stamp, error) && stamp == it->second.stamp) {
            if (it->second.run)
                ++report.unchanged;
            else if (it->second.problem == ScannedLog::kNoRecords)
                ++report.empty;
            else
                report.problems.push_back({path, it->second.problem});
        } else {
            ScannedLog log = scanOne(path);
            ++report.read;
            if (log.verdict == ScannedLog::Verdict::Empty)
                ++report.empty;
            else if (!log.isRun())
                report.problems.push_back({path, log.problem});
            // A file that cannot be read now may be readable later: not remembered.
            if (log.verdict != ScannedLog::Verdict::Unreadable && log.verdict != ScannedLog::Verdict::Changing)
                pending.push_back({path, std::move(log)});
        }
        if (pending.size() >= kBatchFiles || std::chrono::steady_clock::now() - lastCommit >= kBatchTime)
            flush();
        if ((state.done & 255) == 0)
            tell();
    }
    flush();

    if (!folders.empty()) {
        SqliteTransaction transaction(library_.database());
        for (const std::string& folder : folders)
            report.gone += static_cast<std::int64_t>(library_.forgetGone(folder, seen));
        transaction.commit();
    }
    tell();
    return report;
}
