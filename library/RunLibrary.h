#pragma once

#include "library/LibraryRun.h"
#include "library/PackHistory.h"
#include "library/ScannedLog.h"
#include "library/SqliteDatabase.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The index of a user's runs in one SQLite file: runs with their figures,
// the log files that hold them, and packs. The logs stay the source of
// truth: nothing here ever writes one, and everything but the packs and their
// assignments can be rebuilt by scanning the logs again.
//
// Several programs may use the file at once (WAL; a writer waits up to the
// busy time-out for another). Every failure throws a LibraryError.
class RunLibrary {
public:
    enum class Access {
        Read,  // an existing library; opened read-only when it cannot be written
        Write, // made, with its folder, when missing
    };
    static constexpr int kBusyTimeoutMs = 10000;

    RunLibrary(const std::string& path, Access access, int busyTimeoutMs = kBusyTimeoutMs);

    const std::string& path() const { return db_->path(); }
    bool readOnly() const { return db_->readOnly(); }
    SqliteDatabase& database() { return *db_; }

    // --- Files and runs ---
    struct KnownFile {
        FileStamp stamp;
        bool run = false;
        std::string problem;
    };
    // What the library knows of each file path, to tell unchanged files without reading them.
    std::unordered_map<std::string, KnownFile> knownFiles();

    enum class Outcome {
        Added,     // a new run
        Replaced,  // a new run in a file that held another (which stays, without a file)
        Moved,     // a known run in a new place; its old place is gone
        Found,     // a known run whose file had gone, found again
        Copy,      // a known run that is also in another file
        Unchanged, // the same run as before in the same file
        NotARun,   // see the log's verdict
    };
    struct Recorded {
        Outcome outcome = Outcome::NotARun;
        std::int64_t runId = 0;
        std::string otherPath; // Moved: where it was; Copy: the other file
    };
    // Takes in what reading the file at `path` (absolute) found. Call inside a write transaction.
    Recorded record(const std::string& path, const ScannedLog& log);
    // Forgets the files below `folder` that are no longer there; their runs stay. Inside a write transaction.
    std::size_t forgetGone(const std::string& folder, const std::unordered_set<std::string>& seen);

    // Oldest first; of one pack when given.
    std::vector<LibraryRun> runs(std::optional<std::int64_t> packId = std::nullopt);
    std::optional<LibraryRun> run(std::int64_t id);
    std::optional<std::int64_t> runOfFile(const std::string& path);

    // --- Packs ---
    std::vector<PackInfo> packs();
    std::optional<PackInfo> findPack(const std::string& name);
    // Throws when there is no such pack.
    PackInfo pack(const std::string& name);
    std::int64_t addPack(const PackInfo& pack);
    void renamePack(const std::string& from, const std::string& to);
    // Notes, nominal capacity, cells and thresholds of the pack with pack.id.
    void updatePack(const PackInfo& pack);
    // Assigns runs to a pack, or to none.
    void assign(const std::vector<std::int64_t>& runIds, std::optional<std::int64_t> packId);
    std::vector<PackRun> packRuns(std::int64_t packId);

private:
    std::unique_ptr<SqliteDatabase> db_;
};

// "3S 2200 #2": a pack named in an error.
std::string packSubject(const std::string& name);
