// trelvane-library as a user runs it: exit statuses, a pack's history from
// scan to check, and two scans at once.
#include "ToolRun.h"
#include "core/recording/TempDir.h"
#include "library/LaggingCharge.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <filesystem>

namespace {

const QString kTool = QStringLiteral("trelvane-library");

// Every charge these tests scan lasts ten minutes.
constexpr int kChargeSeconds = 600;

QStringList with(const TempDir& dir, QStringList args)
{
    return args << QStringLiteral("--library") << QString::fromStdString(dir.file("library.sqlite"));
}

TEST(LibraryTool, ExitStatusesAsDocumented)
{
    TempDir dir;
    const struct {
        QStringList args;
        int status;
    } cases[] = {
        {{"--help"}, 0},
        {{"--version"}, 0},
        {{"scan", "--help"}, 0},
        {{"pack", "assign", "--help"}, 0},
        {{}, 2},
        {{"frobnicate"}, 2},
        {with(dir, {"list", "--bogus"}), 2},
        {with(dir, {"check", "--wait", "soon"}), 2},
        {with(dir, {"list"}), 1}, // no library yet
        {with(dir, {"scan", QString::fromStdString(dir.file("nowhere"))}), 1},
        {with(dir, {"pack", "add", "A"}), 0},
        {with(dir, {"pack", "add", "A"}), 1},
        {with(dir, {"pack", "rename", "B", "C"}), 1},
        {with(dir, {"trend", "A"}), 0},
        {with(dir, {"check"}), 0},
    };
    for (const auto& c : cases) {
        const ToolResult r = runTool(kTool, c.args);
        ASSERT_TRUE(r.finished) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, c.status) << c.args.join(' ').toStdString() << "\n" << r.err.toStdString();
    }
    // A wrong value is refused before the library is opened: none is made.
    TempDir fresh;
    for (const QStringList& args : {QStringList{"pack", "add", "A", "--cells", "9"},
                                    QStringList{"pack", "add", "A", "--cells", "2.5"},
                                    QStringList{"pack", "set", "A", "--capacity", "-1"}}) {
        EXPECT_EQ(runTool(kTool, with(fresh, args)).exitCode, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(std::filesystem::exists(fresh.file("library.sqlite"))) << args.join(' ').toStdString();
    }
    const ToolResult missing = runTool(kTool, with(dir, {"trend", "nobody"}));
    EXPECT_TRUE(missing.err.contains("trelvane-library: pack \"nobody\": no such pack")) << missing.err.toStdString();
}

TEST(LibraryTool, PathsFromOutsideAreShownEscapedInListsAndProblems)
{
    TempDir dir;
    const std::string folder = dir.file("logs/\x1b[2Jwiped");
    writeLaggingCharge(folder + "/run.tvr", 2200, kChargeSeconds, 5, 1);
    writeRecords(folder + "/cut.tvr", {}, {1, 2, 3});
    const ToolResult scan = runTool(kTool, with(dir, {"scan", QString::fromStdString(dir.file("logs"))}));
    const ToolResult list = runTool(kTool, with(dir, {"list"}));
    for (const ToolResult* r : {&scan, &list}) {
        const QByteArray all = r->out + r->err;
        EXPECT_FALSE(all.contains('\x1b')) << all.toStdString();
        EXPECT_TRUE(all.contains("\\x1B[2Jwiped/")) << all.toStdString();
    }
}

TEST(LibraryTool, EveryCommandListsItsExitStatusesOnePerLine)
{
    const struct {
        const char* tool;
        const char* command;
    } commands[] = {
        {"trelvane-library", "scan"}, {"trelvane-library", "list"}, {"trelvane-library", "pack"},
        {"trelvane-library", "trend"}, {"trelvane-library", "check"}, {"trelvane-log", "info"},
        {"trelvane-log", "csv"}, {"trelvane-log", "stats"}, {"trelvane-log", "plot"},
    };
    for (const auto& c : commands) {
        const ToolResult r = runTool(c.tool, {c.command, "--help"});
        EXPECT_EQ(r.exitCode, 0) << c.tool << " " << c.command;
        EXPECT_TRUE(r.out.contains("\nExit status:\n  0  ") && r.out.contains("\n  2  the command line is wrong"))
            << c.tool << " " << c.command << "\n" << r.out.toStdString();
    }
}

TEST(LibraryTool, FromScanToTrendAndWarningsOfAFadingPack)
{
    TempDir dir;
    const std::string logs = dir.file("logs");
    const int capacities[] = {2200, 2190, 2210, 1900, 1700, 1680};
    for (int i = 0; i < 6; ++i)
        writeLaggingCharge(logs + "/charge" + std::to_string(i) + ".tvr", capacities[i], kChargeSeconds, 10 + i * 5, i);
    writeRecords(logs + "/broken.tvr", {}, std::vector<std::uint8_t>(100, 0xFF));

    const ToolResult scanned = runTool(kTool, with(dir, {"scan", QString::fromStdString(logs)}));
    EXPECT_EQ(scanned.exitCode, 1) << "a broken log is reported";
    EXPECT_TRUE(scanned.err.contains("broken.tvr")) << scanned.err.toStdString();
    EXPECT_TRUE(scanned.out.contains("6 added")) << scanned.out.toStdString();

    ASSERT_EQ(runTool(kTool, with(dir, {"pack", "add", "3S 2200 #2", "--cells", "3"})).exitCode, 0);
    QStringList assign = {"pack", "assign", "3S 2200 #2"};
    for (int i = 0; i < 6; ++i)
        assign << QString::fromStdString(logs + "/charge" + std::to_string(i) + ".tvr");
    ASSERT_EQ(runTool(kTool, with(dir, assign)).exitCode, 0);

    const ToolResult csv = runTool(kTool, with(dir, {"list", "--pack", "3S 2200 #2", "--csv"}));
    ASSERT_EQ(csv.exitCode, 0);
    const QList<QByteArray> lines = csv.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 7);
    EXPECT_TRUE(lines[0].startsWith("id,start,duration_s,mode,battery_type,cells,capacity_mAh,integrated_mAh"));
    EXPECT_TRUE(lines[1].contains(",3S 2200 #2,")) << lines[1].toStdString();

    const ToolResult trend = runTool(kTool, with(dir, {"trend", "3S 2200 #2", "--csv"}));
    ASSERT_EQ(trend.exitCode, 0);
    const QList<QByteArray> rows = trend.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 7);
    // The last charge against the mean of the first three (2200): -23.64 %.
    EXPECT_TRUE(rows[6].contains(",1680.0,-23.64,")) << rows[6].toStdString();

    const ToolResult check = runTool(kTool, with(dir, {"check"}));
    EXPECT_EQ(check.exitCode, 3) << check.err.toStdString();
    EXPECT_TRUE(check.out.contains("Capacity 1700 mAh (median of the last 3 charges) is 77 %")) << check.out.toStdString();
    EXPECT_TRUE(check.out.contains("End cell spread grew over the last 4 charges")) << check.out.toStdString();
    EXPECT_TRUE(check.out.contains("End cell spread 35 mV after the last charge")) << check.out.toStdString();

    ASSERT_EQ(runTool(kTool, with(dir, {"pack", "set", "3S 2200 #2", "--spread", "40", "--capacity-share", "70"})).exitCode, 0);
    const ToolResult relaxed = runTool(kTool, with(dir, {"check", "--quiet"}));
    EXPECT_EQ(relaxed.exitCode, 3);
    EXPECT_FALSE(relaxed.out.contains("Capacity")) << relaxed.out.toStdString();
    EXPECT_FALSE(relaxed.out.contains("after the last charge")) << relaxed.out.toStdString();
}

TEST(LibraryTool, TwoScansAtOnceAddEveryRunOnce)
{
    TempDir dir;
    for (int i = 0; i < 30; ++i)
        writeLaggingCharge(dir.file("logs/charge" + std::to_string(i) + ".tvr"), 2000 + i, kChargeSeconds, 10, i);
    const QStringList args = with(dir, {"scan", QString::fromStdString(dir.file("logs"))});
    QProcess first;
    QProcess second;
    first.start(toolPath(kTool), args);
    second.start(toolPath(kTool), args);
    ASSERT_TRUE(first.waitForFinished(60000) && second.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

    const ToolResult csv = runTool(kTool, with(dir, {"list", "--csv"}));
    EXPECT_EQ(csv.out.trimmed().split('\n').size(), 31);
}

} // namespace
