// The recorder's log files: names by start time, a new file per charge that
// never takes over an existing name (a file, a planted link), the folder
// check, and the single file that is refused while it holds records.
#include "recorder/ChargeFiles.h"

#include "core/recording/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

std::tm at(int year, int month, int day, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

void writeFile(const std::string& path, std::size_t bytes)
{
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
}

std::uintmax_t sizeOf(const std::string& path)
{
    return std::filesystem::file_size(path);
}

TEST(ChargeFiles, NamesSayTheStartAndCountUpWithinASecond)
{
    const struct {
        std::tm start;
        int attempt;
        const char* name;
    } cases[] = {
        {at(2026, 12, 8, 15, 30, 12), 1, "2026-12-08_15-30-12.tvr"},
        {at(2027, 1, 2, 3, 4, 5), 1, "2027-01-02_03-04-05.tvr"},
        {at(2026, 12, 8, 15, 30, 12), 2, "2026-12-08_15-30-12_2.tvr"},
        {at(2026, 12, 8, 15, 30, 12), 17, "2026-12-08_15-30-12_17.tvr"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChargeFiles::nameFor(c.start, c.attempt), c.name);
}

TEST(ChargeFiles, NewFileNeverTakesAnExistingName)
{
    TempDir dir;
    const std::tm start = at(2026, 12, 8, 15, 30, 12);
    const std::string first = dir.file("2026-12-08_15-30-12.tvr");

    const ChargeFiles::Created a = ChargeFiles::createInDirectory(dir.path(), start);
    EXPECT_EQ(a.error, "");
    EXPECT_EQ(a.path, first);
    EXPECT_EQ(sizeOf(a.path), 0u);
    writeFile(a.path, 128); // the first charge recorded two seconds

    const ChargeFiles::Created b = ChargeFiles::createInDirectory(dir.path() + "/", start);
    EXPECT_EQ(b.error, "");
    EXPECT_EQ(b.path, dir.file("2026-12-08_15-30-12_2.tvr"));
    EXPECT_EQ(sizeOf(first), 128u);

    // A link planted under the next name is not followed.
    const std::string victim = dir.file("victim");
    writeFile(victim, 64);
    std::filesystem::create_symlink(victim, dir.file("2026-12-08_15-30-12_3.tvr"));
    const ChargeFiles::Created c = ChargeFiles::createInDirectory(dir.path(), start);
    EXPECT_EQ(c.path, dir.file("2026-12-08_15-30-12_4.tvr"));
    EXPECT_EQ(sizeOf(victim), 64u);

    const ChargeFiles::Created missing = ChargeFiles::createInDirectory(dir.file("none"), start);
    EXPECT_EQ(missing.error, "No such file or directory");
    EXPECT_EQ(missing.path, dir.file("none/2026-12-08_15-30-12.tvr"));
}

TEST(ChargeFiles, FolderMustBeAWritableDirectory)
{
    TempDir dir;
    writeFile(dir.file("plain"), 1);
    EXPECT_EQ(ChargeFiles::checkDirectory(dir.path()), "");
    EXPECT_EQ(ChargeFiles::checkDirectory(dir.file("none")), "No such file or directory");
    EXPECT_EQ(ChargeFiles::checkDirectory(dir.file("plain")), "Not a directory");
}

TEST(ChargeFiles, SingleFileWithRecordsIsRefusedUnlessOverwriting)
{
    const struct {
        const char* name;
        int existingBytes; // -1: no file; -2: a directory
        bool overwrite;
        const char* error;
        int sizeAfter; // -1: not a file
    } cases[] = {
        {"new file", -1, false, "", 0},
        {"empty file", 0, false, "", 0},
        {"file with records", 130, false, "already holds 2 record(s); choose another name, or --overwrite to empty it",
         130},
        {"file with records, overwriting", 130, true, "", 0},
        {"a directory", -2, true, "Is a directory", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file("run.tvr");
        if (c.existingBytes >= 0)
            writeFile(path, static_cast<std::size_t>(c.existingBytes));
        else if (c.existingBytes == -2)
            std::filesystem::create_directory(path);
        EXPECT_EQ(ChargeFiles::prepareSingleFile(path, c.overwrite), c.error);
        if (c.sizeAfter >= 0) {
            EXPECT_EQ(sizeOf(path), static_cast<std::uintmax_t>(c.sizeAfter));
        }
    }
}

} // namespace
