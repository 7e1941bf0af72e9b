// Log files on disk: creating and emptying, appending bit-identical records,
// the system's reason on failure (a FIFO nobody reads fails at once), a
// failed write leaving no partial record, the file surviving a process
// killed at any moment between appends, syncs that fail being failures, and
// where the records go when the log's path is changed under a recording.
#include "recording/LogFile.h"

#include "ChildProcess.h"
#include "SyscallFaults.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>

#include <fstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

MeasurementRecord stamped(int seconds)
{
    MeasurementRecord r;
    r.elapsedSeconds = seconds;
    r.voltage = 12.0f + 0.001f * static_cast<float>(seconds);
    r.capacity = seconds * 3;
    r.cellVoltage[7] = -0.0f;
    return r;
}

TEST(LogFileCreate, CreatesAnEmptyFileAndEmptiesAnExistingOne)
{
    TempDir dir;
    const std::string path = dir.file("a.tvr");
    EXPECT_EQ(createLogFile(path), "");
    EXPECT_TRUE(readBytes(path).empty());

    writeRecords(path, {stamped(1), stamped(2)});
    EXPECT_EQ(createLogFile(path), "");
    EXPECT_TRUE(readBytes(path).empty());
}

TEST(LogFileCreate, ReportsTheSystemReasonWhenTheFolderIsMissing)
{
    TempDir dir;
    const std::string reason = createLogFile(dir.file("missing/a.tvr"));
    EXPECT_EQ(reason, std::strerror(ENOENT));
}

TEST(LogFileAppend, RecordsComeBackBitIdenticalInOrder)
{
    TempDir dir;
    LogAppender log(dir.file("run.tvr"));
    std::vector<MeasurementRecord> written;
    for (int s = 1; s <= 5; ++s) {
        written.push_back(stamped(s));
        ASSERT_EQ(log.append(written.back()), "");
    }
    MeasurementRecord odd = stamped(6);
    odd.voltage = std::numeric_limits<float>::quiet_NaN();
    ASSERT_EQ(log.append(odd), "");
    written.push_back(odd);

    const auto bytes = readBytes(log.path());
    ASSERT_EQ(bytes.size(), written.size() * kRecordSize);
    const auto read = recordsOf(bytes);
    for (std::size_t i = 0; i < written.size(); ++i)
        EXPECT_TRUE(sameBits(read[i], written[i])) << i;
}

TEST(LogFileAppend, CreatesTheFileWhenItIsMissing)
{
    TempDir dir;
    LogAppender log(dir.file("new.tvr"));
    EXPECT_EQ(log.append(stamped(1)), "");
    EXPECT_EQ(readBytes(log.path()).size(), kRecordSize);
}

TEST(LogFileAppend, FailsWithTheSystemReasonAndWritesNothingElsewhere)
{
    TempDir dir;
    EXPECT_EQ(LogAppender(dir.file("missing/run.tvr")).append(stamped(1)), std::strerror(ENOENT));
    EXPECT_EQ(LogAppender(dir.path()).append(stamped(1)), std::strerror(EISDIR));
}

TEST(LogFileAppend, FifoWithoutAReaderFailsAtOnceInsteadOfBlocking)
{
    // The tick runs on the user-interface thread; a save path naming a FIFO
    // that nobody reads must not freeze it.
    TempDir dir;
    const std::string fifo = dir.file("pipe.tvr");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int status = exitStatusWithin(20, [&] {
        return createLogFile(fifo) == std::strerror(ENXIO)
            && LogAppender(fifo).append(stamped(1)) == std::strerror(ENXIO);
    });
    EXPECT_EQ(status, 0) << (status == -1 ? "blocked" : "no failure reported");
}

TEST(LogFileAppend, WriteCutShortByTheFileSizeLimitLeavesOnlyWholeRecords)
{
    TempDir dir;
    const std::string path = dir.file("run.tvr");
    writeRecords(path, {stamped(1), stamped(2), stamped(3)});

    // In a child, so the lowered limit does not outlive this test.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ignoreFileSizeSignal(); // as the program does; the signal would end the child
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 3 * kRecordSize + 10; // room for 10 bytes of the next record
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const std::string reason = LogAppender(path).append(stamped(4));
        ::_exit(reason == std::strerror(EFBIG) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the append did not report the file size limit";

    const auto records = recordsOf(readBytes(path));
    EXPECT_EQ(readBytes(path).size(), 3 * kRecordSize);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(sameBits(records[2], stamped(3)));
}

// Faults of the file system, made by the kernel in a child: a sync that fails
// is a failed append, cut back to whole records, never a success; a file
// system without fdatasync falls back to fsync; a new log's directory is synced.
struct SyncFault {
    const char* name;
    std::vector<std::pair<long, int>> faults;
    int appendError;    // what the append on an existing log reports (0: success)
    int createError;    // what createLogFile reports
    int recreateError;  // what the append that re-creates a deleted log reports
};

void PrintTo(const SyncFault& c, std::ostream* os)
{
    *os << c.name;
}

class LogFileSyncFaults : public ::testing::TestWithParam<SyncFault> {};

TEST_P(LogFileSyncFaults, AreReportedAndLeaveWholeRecords)
{
    const SyncFault& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("run.tvr");
    const std::string fresh = dir.file("fresh.tvr");
    writeRecords(path, {stamped(1)});
    const auto reasonFor = [](int error) { return error == 0 ? std::string() : std::strerror(error); };

    const int status = exitStatusWithin(20, [&] {
        LogAppender log(path); // the log as "start" left it
        if (!failSystemCalls(c.faults))
            return false;
        if (log.append(stamped(2)) != reasonFor(c.appendError))
            return false;
        if (createLogFile(fresh) != reasonFor(c.createError))
            return false;
        ::unlink(path.c_str());
        return log.append(stamped(3)) == reasonFor(c.recreateError);
    });
    ASSERT_EQ(status, 0) << "a call did not report what the fault should give";

    // Whatever failed was cut back: the re-created log holds record 3 only if that append succeeded.
    const auto records = recordsOf(readBytes(path));
    EXPECT_EQ(readBytes(path).size() % kRecordSize, 0u);
    EXPECT_EQ(records.size(), c.recreateError == 0 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LogFileSyncFaults,
    ::testing::Values(SyncFault{"None", {}, 0, 0, 0},
                      SyncFault{"DataSyncUnsupportedFullSyncWorks", {{SYS_fdatasync, EINVAL}}, 0, 0, 0},
                      SyncFault{"DataSyncUnsupportedFullSyncFails", {{SYS_fdatasync, EINVAL}, {SYS_fsync, EIO}}, EIO, EIO, EIO},
                      SyncFault{"DataSyncIoError", {{SYS_fdatasync, EIO}}, EIO, EIO, EIO},
                      SyncFault{"DataSyncReadOnly", {{SYS_fdatasync, EROFS}}, EROFS, EROFS, EROFS},
                      // fsync is only the directory's here: a new or emptied log's entry must be durable.
                      SyncFault{"DirectorySyncFails", {{SYS_fsync, EIO}}, 0, EIO, EIO},
                      SyncFault{"DirectorySyncUnsupported", {{SYS_fsync, EINVAL}}, 0, 0, 0}),
    [](const ::testing::TestParamInfo<SyncFault>& info) { return std::string(info.param.name); });

// What happens to the path between the first and the second append of a
// recording, and where the records must then be.
struct PathChange {
    const char* name;
    std::function<void(const TempDir&)> act;
    std::optional<LogFileChange::Cause> cause; // none: the records stay where they were
    const char* nowIn;                         // the file that receives records 2 and 3
    std::vector<int> nowInHolds;               // the stamps it then holds
    const char* keptFile;                      // a file that must keep its bytes ("" none)
    const char* keptBytes;
};

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string readText(const std::string& path)
{
    const auto bytes = readBytes(path);
    return {bytes.begin(), bytes.end()};
}

void PrintTo(const PathChange& c, std::ostream* os)
{
    *os << c.name;
}

class LogFilePathChanges : public ::testing::TestWithParam<PathChange> {};

TEST_P(LogFilePathChanges, NeverWriteThroughALinkOrIntoAnotherFileAndAreToldOnce)
{
    const PathChange& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("run.tvr");
    ASSERT_EQ(createLogFile(path), "");
    LogAppender log(path);
    ASSERT_EQ(log.append(stamped(1)), "");
    EXPECT_FALSE(log.change());

    c.act(dir);
    ASSERT_EQ(log.append(stamped(2)), "");
    if (c.cause) {
        ASSERT_TRUE(log.change());
        EXPECT_EQ(log.change()->cause, *c.cause);
        EXPECT_EQ(log.change()->path, path);
        EXPECT_EQ(log.change()->newPath, dir.file(c.nowIn));
        EXPECT_EQ(log.change()->fromSecond, 2);
    } else {
        EXPECT_FALSE(log.change());
    }
    EXPECT_EQ(log.path(), dir.file(c.nowIn));

    ASSERT_EQ(log.append(stamped(3)), "");
    EXPECT_FALSE(log.change()) << "told again";

    std::vector<int> stamps;
    for (const MeasurementRecord& r : recordsOf(readBytes(dir.file(c.nowIn))))
        stamps.push_back(r.elapsedSeconds);
    EXPECT_EQ(stamps, c.nowInHolds);
    if (*c.keptFile) {
        EXPECT_EQ(readText(dir.file(c.keptFile)), c.keptBytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LogFilePathChanges,
    ::testing::Values(
        PathChange{"Untouched", [](const TempDir&) {}, std::nullopt, "run.tvr", {1, 2, 3}, "", ""},
        PathChange{"Deleted", [](const TempDir& d) { std::filesystem::remove(d.file("run.tvr")); },
                   LogFileChange::Cause::Vanished, "run.tvr", {2, 3}, "", ""},
        PathChange{"RenamedAway",
                   [](const TempDir& d) { std::filesystem::rename(d.file("run.tvr"), d.file("moved.tvr")); },
                   LogFileChange::Cause::Vanished, "run.tvr", {2, 3}, "", ""},
        PathChange{"ReplacedByALinkToAnotherFile",
                   [](const TempDir& d) {
                       writeText(d.file("victim.txt"), "keep me");
                       std::filesystem::remove(d.file("run.tvr"));
                       std::filesystem::create_symlink(d.file("victim.txt"), d.file("run.tvr"));
                   },
                   LogFileChange::Cause::ReplacedByLink, "run-2.tvr", {2, 3}, "victim.txt", "keep me"},
        PathChange{"ReplacedByADanglingLink",
                   [](const TempDir& d) {
                       std::filesystem::remove(d.file("run.tvr"));
                       std::filesystem::create_symlink(d.file("elsewhere.tvr"), d.file("run.tvr"));
                   },
                   LogFileChange::Cause::ReplacedByLink, "run-2.tvr", {2, 3}, "", ""},
        PathChange{"ReplacedByAnotherFile",
                   [](const TempDir& d) {
                       writeText(d.file("new.txt"), "not yours");
                       std::filesystem::rename(d.file("new.txt"), d.file("run.tvr"));
                   },
                   LogFileChange::Cause::ReplacedByOtherFile, "run-2.tvr", {2, 3}, "run.tvr", "not yours"},
        PathChange{"WrittenToByAnotherProgram",
                   [](const TempDir& d) { std::ofstream(d.file("run.tvr"), std::ios::binary | std::ios::app) << "xx"; },
                   LogFileChange::Cause::ReplacedByOtherFile, "run-2.tvr", {2, 3}, "", ""},
        PathChange{"ReplacedByAFolder",
                   [](const TempDir& d) {
                       std::filesystem::remove(d.file("run.tvr"));
                       std::filesystem::create_directory(d.file("run.tvr"));
                   },
                   LogFileChange::Cause::ReplacedByOtherFile, "run-2.tvr", {2, 3}, "", ""},
        PathChange{"ReplacedWhileTheFirstNameBesideIsTaken",
                   [](const TempDir& d) {
                       writeText(d.file("run-2.tvr"), "taken");
                       writeText(d.file("new.txt"), "not yours");
                       std::filesystem::rename(d.file("new.txt"), d.file("run.tvr"));
                   },
                   LogFileChange::Cause::ReplacedByOtherFile, "run-3.tvr", {2, 3}, "run-2.tvr", "taken"}),
    [](const ::testing::TestParamInfo<PathChange>& info) { return std::string(info.param.name); });

TEST(LogFilePathChanges, ALinkChosenAtStartIsFollowedOnceAndNotAgain)
{
    TempDir dir;
    const std::string link = dir.file("link.tvr");
    std::filesystem::create_symlink(dir.file("real.tvr"), link);
    ASSERT_EQ(createLogFile(link), "");
    LogAppender log(link);
    ASSERT_EQ(log.append(stamped(1)), "");

    // Pointing the link elsewhere afterwards does not move the recording.
    std::filesystem::remove(link);
    std::filesystem::create_symlink(dir.file("other.tvr"), link);
    ASSERT_EQ(log.append(stamped(2)), "");
    EXPECT_FALSE(log.change());
    EXPECT_EQ(recordsOf(readBytes(dir.file("real.tvr"))).size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("other.tvr")));
}

// A child appends stamped records as fast as it can and reports each completed
// append; the parent kills it at a random point. Whatever the moment, the file
// holds whole records 1..k with no gap, and every reported append is in it.
TEST(LogFileDurability, KilledWriterLeavesWholeRecordsWithoutGaps)
{
    TempDir dir;
    std::mt19937 random(20261208);
    for (int trial = 0; trial < 20; ++trial) {
        const std::string path = dir.file("kill" + std::to_string(trial) + ".tvr");
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            LogAppender log(path);
            for (std::int32_t s = 1;; ++s) {
                if (!log.append(stamped(s)).empty())
                    ::_exit(3);
                if (::write(pipeFds[1], &s, sizeof s) != static_cast<ssize_t>(sizeof s))
                    ::_exit(4);
            }
        }
        ::close(pipeFds[1]);

        const std::int32_t target = std::uniform_int_distribution<std::int32_t>(0, 30)(random);
        std::int32_t reported = 0;
        while (reported < target) {
            std::int32_t s = 0;
            ASSERT_EQ(::read(pipeFds[0], &s, sizeof s), static_cast<ssize_t>(sizeof s));
            reported = s;
        }
        // Land the kill at a varying point within an append.
        const int spin = std::uniform_int_distribution<int>(0, 200000)(random);
        volatile int sink = 0;
        for (int i = 0; i < spin; ++i)
            sink = sink + 1;
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself, status " << status;
        for (std::int32_t s = 0; ::read(pipeFds[0], &s, sizeof s) == static_cast<ssize_t>(sizeof s);)
            reported = s;
        ::close(pipeFds[0]);

        const auto bytes = readBytes(path);
        ASSERT_EQ(bytes.size() % kRecordSize, 0u) << "trial " << trial;
        const auto records = recordsOf(bytes);
        ASSERT_GE(static_cast<std::int64_t>(records.size()), reported) << "trial " << trial;
        ASSERT_LE(static_cast<std::int64_t>(records.size()), reported + 1) << "trial " << trial;
        for (std::size_t i = 0; i < records.size(); ++i)
            ASSERT_TRUE(sameBits(records[i], stamped(static_cast<int>(i) + 1))) << "trial " << trial << " record " << i;
    }
}

} // namespace
