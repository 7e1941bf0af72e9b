// The run library on real SQLite files: scanning, moved and copied logs,
// rebuilding, packs, and adding a finished recording.
#include "library/FinishedRecording.h"
#include "library/LibraryError.h"
#include "library/LibraryScan.h"
#include "library/SqliteStatement.h"
#include "tests/library/LibraryFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class RunLibraryTest : public ::testing::Test {
protected:
    std::string logs() const { return dir.file("logs"); }
    std::string db() const { return dir.file("data/trelvane/library.sqlite"); }
    ScanReport scan(const std::vector<std::string>& places = {})
    {
        RunLibrary library(db(), RunLibrary::Access::Write);
        return LibraryScan(library).scan(places.empty() ? std::vector<std::string>{logs()} : places);
    }
    std::vector<LibraryRun> runs()
    {
        RunLibrary library(db(), RunLibrary::Access::Read);
        return library.runs();
    }

    TempDir dir;
};

TEST_F(RunLibraryTest, ScansAFolderReportsBrokenFilesAndReadsNothingTheSecondTime)
{
    for (int i = 0; i < 5; ++i)
        writeRun(logs() + (i < 3 ? "/2025-03/" : "/2025-04/deep/") + "run" + std::to_string(i) + ".tvr", i);
    writeRecords(logs() + "/empty.tvr", {});
    writeRecords(logs() + "/cut.tvr", chargeRecords(10, 2.0f, 77), {1, 2, 3});
    writeRecords(logs() + "/notes.TVR", {}, std::vector<std::uint8_t>(640, 'x'));
    writeRun(logs() + "/other-extension.csv", 99);
    const std::vector<std::uint8_t> before = readBytes(logs() + "/2025-03/run0.tvr");

    const ScanReport first = scan();
    EXPECT_EQ(first.files, 8);
    EXPECT_EQ(first.read, 8);
    EXPECT_EQ(first.added, 5);
    EXPECT_EQ(first.empty, 1);
    ASSERT_EQ(first.problems.size(), 2u);
    std::map<std::string, std::string> problems;
    for (const auto& p : first.problems)
        problems[fs::path(p.path).filename().string()] = p.reason;
    EXPECT_NE(problems["cut.tvr"].find("not a whole record"), std::string::npos);
    EXPECT_NE(problems["notes.TVR"].find("not one this program writes"), std::string::npos);

    const std::vector<LibraryRun> listed = runs();
    ASSERT_EQ(listed.size(), 5u);
    for (const LibraryRun& run : listed) {
        const ScannedLog direct = scanLog(run.path);
        EXPECT_EQ(run.hash, direct.hash) << run.path;
        EXPECT_EQ(run.figures.records, 120);
        EXPECT_DOUBLE_EQ(run.figures.integratedCapacity, direct.figures.integratedCapacity);
        EXPECT_EQ(run.startTime, direct.startTime);
    }
    EXPECT_EQ(readBytes(logs() + "/2025-03/run0.tvr"), before) << "the library never alters a log";

    const ScanReport second = scan();
    EXPECT_EQ(second.read, 0) << "nothing changed, nothing read";
    EXPECT_EQ(second.unchanged, 5);
    EXPECT_EQ(second.empty, 1);
    EXPECT_EQ(second.problems.size(), 2u) << "broken files are still reported";
}

TEST_F(RunLibraryTest, AHugeSparseFileIsReportedAndTheScanGoesOn)
{
    // Its size promises 2^35 records; its zeros are no record at all.
    writeRun(logs() + "/a.tvr", 1);
    const std::string huge = logs() + "/huge.tvr";
    std::ofstream(huge).close();
    ASSERT_EQ(::truncate(huge.c_str(), std::int64_t{2} << 40), 0);
    writeRun(logs() + "/z.tvr", 2);

    const ScanReport report = scan();
    EXPECT_EQ(report.files, 3);
    EXPECT_EQ(report.added, 2);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].path, huge);
    EXPECT_EQ(report.problems[0].reason, "record 1 is not one this program writes");
    EXPECT_FALSE(report.problems[0].place);
}

// Folders nested deeper than a path can name: opening the deepest fails
// (ENAMETOOLONG) even for root, for whom no permission stops a walk.
class DeepFolders {
public:
    static constexpr int kDepth = 24;
    explicit DeepFolders(const std::string& top) : top_(top)
    {
        int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < kDepth && fd >= 0; ++i) {
            ::mkdirat(fd, name().c_str(), 0700);
            const int next = ::openat(fd, name().c_str(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
        }
        if (fd >= 0)
            ::close(fd);
    }
    ~DeepFolders() { remove(::open(top_.c_str(), O_RDONLY | O_DIRECTORY), kDepth); }
    static std::string name() { return std::string(200, 'd'); }

private:
    static void remove(int fd, int depth)
    {
        if (fd < 0)
            return;
        if (depth > 0) {
            remove(::openat(fd, name().c_str(), O_RDONLY | O_DIRECTORY), depth - 1);
            ::unlinkat(fd, name().c_str(), AT_REMOVEDIR);
        }
        ::close(fd);
    }
    std::string top_;
};

TEST_F(RunLibraryTest, AFolderThatCannotBeOpenedIsReportedAndItsSiblingsAreScanned)
{
    fs::create_directories(logs());
    const DeepFolders deep(logs());
    for (int i = 0; i < 12; ++i)
        writeRun(logs() + "/run" + std::to_string(i) + "/run.tvr", i);

    const ScanReport report = scan();
    EXPECT_EQ(report.files, 12);
    EXPECT_EQ(report.added, 12);
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].reason, std::make_error_code(std::errc::filename_too_long).message());
    EXPECT_GT(report.problems[0].path.size(), std::size_t{4096}) << "names the folder";
    EXPECT_TRUE(report.problems[0].place) << "counted apart from logs that are no run";
}

TEST_F(RunLibraryTest, FindsMovedRenamedAndCopiedLogsByTheirContent)
{
    writeRun(logs() + "/a.tvr", 1);
    writeRun(logs() + "/b.tvr", 2);
    scan();
    std::int64_t packId = 0;
    std::int64_t runA = 0;
    {
        RunLibrary library(db(), RunLibrary::Access::Write);
        PackInfo pack;
        pack.name = "3S 2200 #2";
        packId = library.addPack(pack);
        runA = *library.runOfFile(logs() + "/a.tvr");
        library.assign({runA}, packId);
    }

    fs::create_directories(logs() + "/archive");
    fs::rename(logs() + "/a.tvr", logs() + "/archive/renamed.tvr");
    const ScanReport moved = scan();
    EXPECT_EQ(moved.read, 1);
    EXPECT_EQ(moved.moved, 1);
    EXPECT_EQ(moved.added, 0);
    EXPECT_EQ(moved.gone, 0) << "the move took the old name with it";

    // Out of the scanned folder: forgotten, but the run and its pack stay.
    fs::create_directories(dir.file("usb-stick"));
    fs::rename(logs() + "/archive/renamed.tvr", dir.file("usb-stick/a.tvr"));
    EXPECT_EQ(scan().gone, 1);
    {
        RunLibrary library(db(), RunLibrary::Access::Read);
        const std::optional<LibraryRun> run = library.run(runA);
        ASSERT_TRUE(run);
        EXPECT_EQ(run->path, "");
        EXPECT_EQ(run->packId, packId);
    }
    const ScanReport found = scan({dir.file("usb-stick")});
    EXPECT_EQ(found.moved, 1);
    fs::copy_file(dir.file("usb-stick/a.tvr"), logs() + "/copy-of-a.tvr");
    const ScanReport copied = scan();
    EXPECT_EQ(copied.copies, 1);

    const std::vector<LibraryRun> listed = runs();
    ASSERT_EQ(listed.size(), 2u) << "a move or a copy is no new run";
    const LibraryRun& a = listed[0].id == runA ? listed[0] : listed[1];
    EXPECT_EQ(a.packName, "3S 2200 #2");
    EXPECT_EQ(a.path, libraryPathOf(logs() + "/copy-of-a.tvr"));
}

TEST_F(RunLibraryTest, ANewRecordingIntoAKnownFileIsANewRun)
{
    writeRun(logs() + "/charge.tvr", 1);
    scan();
    writeRun(logs() + "/charge.tvr", 2, 300);
    const ScanReport again = scan();
    EXPECT_EQ(again.added, 1);
    const std::vector<LibraryRun> listed = runs();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].figures.records + listed[1].figures.records, 420);
}

TEST_F(RunLibraryTest, ADeletedLibraryIsRebuiltFromTheLogsWithTheSameFigures)
{
    for (int i = 0; i < 4; ++i)
        writeRun(logs() + "/run" + std::to_string(i) + ".tvr", i, 60 + 30 * i);
    scan();
    const std::vector<LibraryRun> before = runs();
    removeLibrary(db());
    scan();
    const std::vector<LibraryRun> after = runs();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        const RunFigures& x = before[i].figures;
        const RunFigures& y = after[i].figures;
        EXPECT_EQ(after[i].hash, before[i].hash);
        EXPECT_EQ(after[i].path, before[i].path);
        EXPECT_EQ(after[i].startTime, before[i].startTime);
        EXPECT_EQ(y.records, x.records);
        EXPECT_EQ(y.duration, x.duration);
        EXPECT_EQ(y.capacity, x.capacity);
        EXPECT_EQ(y.integratedCapacity, x.integratedCapacity);
        EXPECT_EQ(y.energy, x.energy);
        EXPECT_EQ(y.peakVoltage, x.peakVoltage);
        EXPECT_EQ(y.endVoltage, x.endVoltage);
        EXPECT_EQ(y.peakCurrent, x.peakCurrent);
        EXPECT_EQ(y.peakTemperature, x.peakTemperature);
        EXPECT_EQ(y.endCells, x.endCells);
        EXPECT_EQ(y.endSpread, x.endSpread);
        EXPECT_EQ(y.largestSpread, x.largestSpread);
    }
}

TEST_F(RunLibraryTest, GoneFilesAreForgottenWhateverTheFolderIsNamed)
{
    const char* folders[] = {"plain", "Ladeger\u00e4t \u00fc", "\u5145\u96fb", "caf\u00e9/\u00fc"};
    int seed = 0;
    for (const char* folder : folders) {
        const std::string place = dir.file(folder);
        writeRun(place + "/run.tvr", ++seed);
        writeRun(place + "/kept.tvr", ++seed);
        ASSERT_EQ(scan({place}).added, 2) << folder;
        fs::remove(place + "/run.tvr");
        const ScanReport again = scan({place});
        EXPECT_EQ(again.gone, 1) << folder;
        EXPECT_EQ(again.unchanged, 1) << folder;
    }
}

TEST_F(RunLibraryTest, PacksAreNamedRenamedDescribedAndGivenRuns)
{
    writeRun(logs() + "/a.tvr", 1);
    writeRun(logs() + "/b.tvr", 2);
    scan();
    RunLibrary library(db(), RunLibrary::Access::Write);
    PackInfo pack;
    pack.name = "3S 2200 #2";
    pack.nominalCapacity = 2200;
    pack.cells = 3;
    const std::int64_t id = library.addPack(pack);
    EXPECT_THROW(library.addPack(pack), LibraryError);
    library.renamePack("3S 2200 #2", "3S 2200 #3");
    EXPECT_THROW(library.pack("3S 2200 #2"), LibraryError);
    PackInfo renamed = library.pack("3S 2200 #3");
    EXPECT_EQ(renamed.id, id);
    EXPECT_EQ(renamed.nominalCapacity, 2200);
    renamed.notes = "bought 2024, puffed a little";
    renamed.thresholds.endSpread = 25;
    library.updatePack(renamed);
    EXPECT_EQ(library.pack("3S 2200 #3").notes, "bought 2024, puffed a little");
    EXPECT_EQ(library.pack("3S 2200 #3").thresholds.endSpread, 25);

    const std::vector<LibraryRun> all = library.runs();
    library.assign({all[0].id, all[1].id}, id);
    EXPECT_EQ(library.packRuns(id).size(), 2u);
    EXPECT_THROW(library.assign({all[0].id, 999}, std::nullopt), LibraryError);
    EXPECT_EQ(library.packRuns(id).size(), 2u) << "a failed assignment changes nothing";
    library.assign({all[0].id}, std::nullopt);
    EXPECT_EQ(library.packRuns(id).size(), 1u);
}

TEST_F(RunLibraryTest, AFinishedRecordingIsAddedOrLeftWithANoticeButNeverLost)
{
    const std::string log = logs() + "/just-recorded.tvr";
    writeRun(log, 5);
    const std::vector<std::uint8_t> bytes = readBytes(log);

    EXPECT_EQ(addFinishedRecording(log, db()).result, AddedRecording::Result::Added);
    EXPECT_EQ(addFinishedRecording(log, db()).result, AddedRecording::Result::Added) << "twice is once";
    ASSERT_EQ(runs().size(), 1u);

    writeRecords(logs() + "/never-started.tvr", {});
    EXPECT_EQ(addFinishedRecording(logs() + "/never-started.tvr", db()).result, AddedRecording::Result::Nothing);

    // A library that cannot be made (its folder would be inside a file).
    writeRecords(dir.file("a-file"), {});
    const AddedRecording failed = addFinishedRecording(log, dir.file("a-file/trelvane/library.sqlite"));
    EXPECT_EQ(failed.result, AddedRecording::Result::Failed);
    EXPECT_NE(failed.notice.find(dir.file("a-file")), std::string::npos) << failed.notice;
    EXPECT_NE(failed.notice.find("The log file is complete"), std::string::npos) << failed.notice;
    EXPECT_EQ(readBytes(log), bytes);

    // The command it suggests reads the name back as it is in a shell.
    const std::string odd = logs() + "/it's $HOME \"now\".tvr";
    writeRun(odd, 6);
    const AddedRecording later = addFinishedRecording(odd, dir.file("a-file/trelvane/library.sqlite"));
    EXPECT_NE(later.notice.find("add it later with: trelvane-library scan '" + logs() + "/it'\\''s $HOME \"now\".tvr'"),
              std::string::npos)
        << later.notice;
}

} // namespace
