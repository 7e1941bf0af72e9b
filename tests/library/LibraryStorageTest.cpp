// The library's SQLite file: migration from the first schema, a file from a
// newer program, a locked and a read-only file, and two processes adding at once.
#include "library/FinishedRecording.h"
#include "library/LibraryError.h"
#include "library/LibraryScan.h"
#include "library/LibrarySchema.h"
#include "library/SqliteStatement.h"
#include "tests/library/LibraryFiles.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <fcntl.h>
#include <linux/fs.h>
#include <sqlite3.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What the first release wrote, kept here as it was: the migration must take
// these files however the schema's code changes later.
constexpr const char* kFirstSchema = R"(
CREATE TABLE packs (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, notes TEXT NOT NULL DEFAULT '',
    nominal_mah REAL, cells INTEGER);
CREATE TABLE runs (id INTEGER PRIMARY KEY, hash INTEGER NOT NULL UNIQUE, size INTEGER NOT NULL,
    records INTEGER NOT NULL, start_time INTEGER NOT NULL, end_time INTEGER NOT NULL, duration REAL NOT NULL,
    mode INTEGER NOT NULL, battery_type INTEGER NOT NULL, cells INTEGER NOT NULL, capacity_mah REAL NOT NULL,
    integrated_mah REAL NOT NULL, energy_wh REAL NOT NULL, peak_v REAL NOT NULL, end_v REAL NOT NULL,
    peak_a REAL NOT NULL, peak_temp REAL, cell1_v REAL, cell2_v REAL, cell3_v REAL, cell4_v REAL, cell5_v REAL,
    cell6_v REAL, cell7_v REAL, cell8_v REAL, end_spread_mv REAL, largest_spread_mv REAL,
    pack_id INTEGER REFERENCES packs(id) ON DELETE SET NULL);
CREATE INDEX runs_pack ON runs(pack_id, start_time);
CREATE TABLE files (path TEXT PRIMARY KEY, size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL,
    run_id INTEGER REFERENCES runs(id) ON DELETE CASCADE, problem TEXT);
CREATE INDEX files_run ON files(run_id);
INSERT INTO packs (id, name, notes, nominal_mah, cells) VALUES (1, '3S 2200 #2', 'from the first release', 2200, 3);
INSERT INTO runs VALUES (1, 42, 7680, 120, 1700000000, 1700000120, 120, 1, 1, 3, 66, 66.5, 0.8, 12.6, 12.6, 2, 34,
    4.2, 4.2, 4.19, NULL, NULL, NULL, NULL, NULL, 10, 12, 1);
INSERT INTO files VALUES ('/logs/a.tvr', 7680, 1700000120000000000, 1, NULL);
PRAGMA user_version = 1;
)";

void rawExec(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

TEST(LibraryStorage, MigratesAFileOfTheFirstVersionKeepingItsRunsAndPacks)
{
    TempDir dir;
    const std::string db = dir.file("library.sqlite");
    rawExec(db, kFirstSchema);

    RunLibrary library(db, RunLibrary::Access::Read);
    EXPECT_EQ(LibrarySchema::version(library.database()), LibrarySchema::kVersion);
    const PackInfo pack = library.pack("3S 2200 #2");
    EXPECT_EQ(pack.notes, "from the first release");
    EXPECT_FALSE(pack.thresholds.capacityShare) << "thresholds added later start at their defaults";
    const std::vector<LibraryRun> runs = library.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].packName, "3S 2200 #2");
    EXPECT_EQ(runs[0].path, "/logs/a.tvr");
    EXPECT_EQ(runs[0].figures.endSpread, 10);

    PackInfo changed = pack;
    changed.thresholds.temperature = 40;
    library.updatePack(changed);
    EXPECT_EQ(library.pack("3S 2200 #2").thresholds.temperature, 40);
}

TEST(LibraryStorage, LeavesAFileOfANewerProgramAlone)
{
    TempDir dir;
    const std::string db = dir.file("library.sqlite");
    rawExec(db, "CREATE TABLE future (x); PRAGMA user_version = 99;");
    for (const auto access : {RunLibrary::Access::Read, RunLibrary::Access::Write}) {
        try {
            RunLibrary library(db, access);
            ADD_FAILURE() << "opened a file of version 99";
        } catch (const LibraryError& e) {
            EXPECT_EQ(e.subject(), db);
            EXPECT_NE(e.reason().find("newer Trelvane"), std::string::npos) << e.reason();
        }
    }
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &raw), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(raw, "PRAGMA user_version", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(s, 0), 99);
    sqlite3_finalize(s);
    sqlite3_close(raw);
}

TEST(LibraryStorage, AFileThatIsNoDatabaseIsNamedWithWhatToDo)
{
    TempDir dir;
    const std::string db = dir.file("library.sqlite");
    writeRecords(db, chargeRecords(100, 1.0f, 1)); // a log where the library should be
    try {
        RunLibrary library(db, RunLibrary::Access::Write);
        ADD_FAILURE() << "opened a log as a library";
    } catch (const LibraryError& e) {
        EXPECT_EQ(e.subject(), db);
        EXPECT_NE(e.reason().find("rebuild"), std::string::npos) << e.reason();
    }
}

// A child that holds a lock on the library (the write lock by default)
// until told to let go, or for `holdMs` when that is given.
class LockHolder {
public:
    explicit LockHolder(const std::string& db, const char* sql = "BEGIN EXCLUSIVE", int holdMs = -1)
    {
        int ready[2];
        int release[2];
        if (::pipe(ready) != 0 || ::pipe(release) != 0)
            return;
        child_ = ::fork();
        if (child_ == 0) {
            ::alarm(30);
            sqlite3* raw = nullptr;
            sqlite3_open(db.c_str(), &raw);
            const bool held = sqlite3_exec(raw, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
            const char c = held ? 'y' : 'n';
            (void)!::write(ready[1], &c, 1);
            if (holdMs >= 0) {
                ::usleep(static_cast<useconds_t>(holdMs) * 1000);
            } else {
                char done;
                (void)!::read(release[0], &done, 1);
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        // A child on a timer lets go by itself and reads nothing: no one to tell.
        if (holdMs >= 0)
            ::close(release[1]);
        else
            release_ = release[1];
        char c = 0;
        held_ = ::read(ready[0], &c, 1) == 1 && c == 'y';
        ::close(ready[0]);
    }
    ~LockHolder()
    {
        if (release_ >= 0) {
            (void)!::write(release_, "x", 1);
            ::close(release_);
        }
        if (child_ > 0)
            ::waitpid(child_, nullptr, 0);
    }
    bool held() const { return held_; }

private:
    pid_t child_ = -1;
    int release_ = -1;
    bool held_ = false;
};

TEST(LibraryStorage, ALockedLibraryIsReportedAfterTheWaitAndStillRead)
{
    TempDir dir;
    const std::string db = dir.file("library.sqlite");
    writeRun(dir.file("logs/a.tvr"), 1);
    {
        RunLibrary library(db, RunLibrary::Access::Write);
        LibraryScan(library).scan({dir.file("logs")});
    }
    writeRun(dir.file("logs/b.tvr"), 2);
    LockHolder lock(db);
    ASSERT_TRUE(lock.held());

    RunLibrary library(db, RunLibrary::Access::Write, 300);
    try {
        LibraryScan(library).scan({dir.file("logs")});
        ADD_FAILURE() << "wrote a locked library";
    } catch (const LibraryError& e) {
        EXPECT_EQ(e.subject(), db);
        EXPECT_NE(e.reason().find("in use by another program"), std::string::npos) << e.reason();
    }
    EXPECT_EQ(library.runs().size(), 1u) << "readers do not wait for a writer";

    const AddedRecording added = addFinishedRecording(dir.file("logs/b.tvr"), db, 300);
    EXPECT_EQ(added.result, AddedRecording::Result::Failed);
    EXPECT_NE(added.notice.find("in use by another program"), std::string::npos) << added.notice;
}

TEST(LibraryStorage, ATableLockedByThisConnectionIsNotBlamedOnAnotherProgram)
{
    TempDir dir;
    SqliteDatabase db(dir.file("own.sqlite"), SqliteDatabase::Mode::Create, 100);
    db.exec("CREATE TABLE t(x); INSERT INTO t VALUES (1), (2);");
    SqliteStatement reading(db, "SELECT x FROM t");
    ASSERT_TRUE(reading.step());
    try {
        db.exec("DROP TABLE t");
        ADD_FAILURE() << "dropped a table being read";
    } catch (const LibraryError& e) {
        EXPECT_NE(e.reason().find("in use by another step of this program"), std::string::npos) << e.reason();
        EXPECT_EQ(e.reason().find("another program"), std::string::npos) << e.reason();
    }
}

TEST(LibraryStorage, ANewLibraryOpensWhileAnotherProgramStillWritesIt)
{
    // A writer of a file not yet in WAL mode: switching it needs the file to
    // itself, and SQLite, seeing a possible deadlock, answers busy at once
    // instead of waiting. Two programs making a new library at once meet this.
    TempDir dir;
    const std::string db = dir.file("library.sqlite");
    rawExec(db, "PRAGMA user_version = 0; CREATE TABLE early (x);");
    LockHolder writer(db, "BEGIN IMMEDIATE; INSERT INTO early VALUES (1);", 300);
    ASSERT_TRUE(writer.held());
    try {
        RunLibrary library(db, RunLibrary::Access::Write, 5000);
        EXPECT_EQ(LibrarySchema::version(library.database()), LibrarySchema::kVersion);
    } catch (const LibraryError& e) {
        ADD_FAILURE() << e.what();
    }
}

// Makes a file read-only even for root (who ignores permissions), with the
// file system's immutable flag; undone when the object goes.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(std::string path) : path_(std::move(path))
    {
        ::chmod(path_.c_str(), 0444);
        if (::geteuid() == 0)
            immutable_ = setImmutable(true);
        readOnly_ = ::access(path_.c_str(), W_OK) != 0 || immutable_;
    }
    ~ReadOnlyFile()
    {
        if (immutable_)
            setImmutable(false);
        ::chmod(path_.c_str(), 0644);
    }
    bool readOnly() const { return readOnly_; }

private:
    bool setImmutable(bool on)
    {
        const int fd = ::open(path_.c_str(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return ok;
    }

    std::string path_;
    bool immutable_ = false;
    bool readOnly_ = false;
};

TEST(LibraryStorage, AReadOnlyLibraryIsReadAndRefusesWritesWithAClearMessage)
{
    TempDir dir;
    const std::string db = dir.file("library.sqlite");
    writeRun(dir.file("logs/a.tvr"), 1);
    {
        RunLibrary library(db, RunLibrary::Access::Write);
        LibraryScan(library).scan({dir.file("logs")});
    }
    ReadOnlyFile readOnly(db);
    if (!readOnly.readOnly())
        GTEST_SKIP() << "this file system cannot make a file read-only for root";

    RunLibrary reader(db, RunLibrary::Access::Read);
    EXPECT_EQ(reader.runs().size(), 1u);
    try {
        RunLibrary library(db, RunLibrary::Access::Write);
        PackInfo pack;
        pack.name = "new";
        library.addPack(pack);
        ADD_FAILURE() << "wrote a read-only library";
    } catch (const LibraryError& e) {
        EXPECT_EQ(e.subject(), db);
        EXPECT_NE(e.reason().find("read-only"), std::string::npos) << e.reason();
    }
}

TEST(LibraryStorage, TwoProcessesAddingAtOnceLoseNothing)
{
    TempDir dir;
    const std::string db = dir.file("library.sqlite"); // made by whichever child comes first
    constexpr int kShared = 40;
    constexpr int kOwn = 15;
    for (int i = 0; i < kShared; ++i)
        writeRun(dir.file("logs/shared/run" + std::to_string(i) + ".tvr"), i, 600);
    for (int child = 0; child < 2; ++child) {
        for (int i = 0; i < kOwn; ++i)
            writeRun(dir.file("logs/own" + std::to_string(child) + "/run" + std::to_string(i) + ".tvr"),
                     1000 * (child + 1) + i, 600);
    }

    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = ::fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            ::alarm(60);
            ::close(go[1]);
            char start;
            (void)!::read(go[0], &start, 1); // both start together
            bool ok = true;
            try {
                // One scans the shared folder, the other adds its runs one by one as a recorder
                // would; both then take the other's way.
                const std::string own = dir.file("logs/own" + std::to_string(child));
                for (int round = 0; round < 2; ++round) {
                    if ((child + round) % 2 == 0) {
                        RunLibrary library(db, RunLibrary::Access::Write);
                        LibraryScan(library).scan({dir.file("logs/shared")});
                    } else {
                        for (int i = 0; i < kOwn; ++i) {
                            const AddedRecording added = addFinishedRecording(own + "/run" + std::to_string(i) + ".tvr", db);
                            if (added.result != AddedRecording::Result::Added) {
                                std::fprintf(stderr, "child %d: %s\n", child, added.notice.c_str());
                                ok = false;
                            }
                        }
                    }
                }
            } catch (const std::exception& e) {
                std::fprintf(stderr, "child %d: %s\n", child, e.what());
                ok = false;
            }
            ::_exit(ok ? 0 : 1);
        }
    }
    ::close(go[0]);
    ::close(go[1]); // end of file: go
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a child failed";
    }

    RunLibrary library(db, RunLibrary::Access::Read);
    EXPECT_EQ(library.runs().size(), static_cast<std::size_t>(kShared + 2 * kOwn));
    EXPECT_EQ(library.knownFiles().size(), static_cast<std::size_t>(kShared + 2 * kOwn));
    SqliteStatement check(library.database(), "PRAGMA integrity_check");
    ASSERT_TRUE(check.step());
    EXPECT_EQ(check.text(0), "ok");
    SqliteStatement mode(library.database(), "PRAGMA journal_mode");
    ASSERT_TRUE(mode.step());
    EXPECT_EQ(mode.text(0), "wal");
}

} // namespace
