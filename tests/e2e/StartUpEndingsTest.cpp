// Ways the program ends before any charge is recorded: a port with nothing
// behind it ("USB device open failed,software will exit!", the main window
// closes, "exit", then the program ends), and "Exit" in the control dialog,
// which leaves the log file as it was.

#include "e2e/DesktopSession.h"
#include "e2e/WaitFor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr QPoint kControlExitButton{475 + 41, 276 + 13};

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class StartUpEndings : public DesktopSession {};

TEST_F(StartUpEndings, MissingPortShowsTheOpenFailureClosesTheWindowSaysExitAndEnds)
{
    const QString log = path(QStringLiteral("never.tvr"));
    ASSERT_TRUE(startTrelvane({QStringLiteral("--port"), QStringLiteral("15"), QStringLiteral("--log"), log}));
    const XDoTool::Window control = waitForWindow(kControlDialogSize);
    ASSERT_NE(control.id, 0u) << trelvaneOutput().toStdString();
    ASSERT_TRUE(click(control, kStartButton));

    const XDoTool::Window box = waitForMessageBox(20000);
    ASSERT_NE(box.id, 0u) << "no box for the port that cannot be opened";
    EXPECT_EQ(trelvane_.state(), QProcess::Running) << "ended before the box was confirmed";
    // The box must be wide enough to carry the failure's text.
    EXPECT_GT(screenShot(QStringLiteral("open-failed")).countColour(box.geometry, Qt::black, 80), 50)
        << "the box shows no text";
    EXPECT_GE(box.geometry.width(), 250) << "too narrow for \"USB device open failed,software will exit!\"";

    ASSERT_TRUE(pressKey(box, QStringLiteral("Return")));

    // The main window closes, then the acquisition thread's exit step says "exit".
    const XDoTool::Window exitBox = waitForMessageBox(20000, box.id);
    ASSERT_NE(exitBox.id, 0u) << "no \"exit\" box after the open failure was confirmed";
    EXPECT_EQ(trelvane_.state(), QProcess::Running) << "ended before \"exit\" was confirmed";
    EXPECT_EQ(xdo_->windowOfSize(QStringLiteral("Trelvane"), kMainWindowSize).id, 0u) << "the main window is still open";
    EXPECT_LT(exitBox.geometry.width(), 250) << "not the short \"exit\" box";
    ASSERT_TRUE(pressKey(exitBox, QStringLiteral("Return")));
    ASSERT_TRUE(waitForTrelvaneExit(10000)) << "confirming \"exit\" did not end the program";
    EXPECT_TRUE(trelvaneEndedNormally());
    EXPECT_EQ(trelvaneExitCode(), 0);
    EXPECT_TRUE(readRecords(log).empty());
}

struct ExitCase {
    const char* name;
    QByteArray existing; // the log file's bytes before the run; null: no file
};

void PrintTo(const ExitCase& c, std::ostream* os)
{
    *os << c.name;
}

class ControlDialogExit : public DesktopSession, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ControlDialogExit, EndsTheProgramWithoutTouchingTheLogFile)
{
    const ExitCase& c = GetParam();
    const QString log = path(QStringLiteral("kept.tvr"));
    if (!c.existing.isNull()) {
        QFile file(log);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(c.existing), c.existing.size());
    }
    const QDateTime modified = QFileInfo(log).lastModified();
    ASSERT_TRUE(startTrelvane({QStringLiteral("--port"), QStringLiteral("7"), QStringLiteral("--log"), log}));
    const XDoTool::Window control = waitForWindow(kControlDialogSize);
    ASSERT_NE(control.id, 0u) << trelvaneOutput().toStdString();

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(click(control, kControlExitButton));
    ASSERT_TRUE(waitForTrelvaneExit(10000)) << "Exit did not end the program";
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(trelvaneEndedNormally());
    EXPECT_EQ(trelvaneExitCode(), 0);
    EXPECT_EQ(xdo_->windowOfSize(QStringLiteral("Trelvane"), kMainWindowSize).id, 0u);

    if (c.existing.isNull()) {
        EXPECT_FALSE(QFileInfo::exists(log)) << "Exit created the log file";
    } else {
        EXPECT_EQ(contentsOf(log), c.existing);
        EXPECT_EQ(QFileInfo(log).lastModified(), modified);
    }
}

INSTANTIATE_TEST_SUITE_P(LogFiles, ControlDialogExit,
                         ::testing::Values(ExitCase{"NoFileYet", QByteArray()},
                                           ExitCase{"RecordedCharge", QByteArray(3 * 64, '\x5a')}),
                         [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

} // namespace
