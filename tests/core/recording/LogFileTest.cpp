// Log files on disk: creating and emptying, appending bit-identical records,
// the system's reason on failure (a FIFO nobody reads fails at once), a
// failed write leaving no partial record, and the file surviving a process
// killed at any moment between appends.
#include "recording/LogFile.h"

#include "ChildProcess.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <random>

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
        std::signal(SIGXFSZ, SIG_IGN);
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
