#include "e2e/DesktopSession.h"

#include "e2e/ToolRun.h"
#include "e2e/WaitFor.h"
#include "io/tools/ChargeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#ifndef TRELVANE_SOURCE_DIR
#error TRELVANE_SOURCE_DIR names the source tree, for the bitmaps
#endif

void DesktopSession::SetUp()
{
    ASSERT_TRUE(work_.isValid());
    // TRELVANE_E2E_KEEP=1 keeps the screenshots, logs and settings for a look afterwards.
    if (qEnvironmentVariableIntValue("TRELVANE_E2E_KEEP") == 1) {
        work_.setAutoRemove(false);
        std::printf("desktop session files: %s\n", qPrintable(work_.path()));
    }
    ASSERT_TRUE(QDir(work_.path()).mkpath(QStringLiteral("ports")));
    ASSERT_TRUE(QDir(work_.path()).mkpath(QStringLiteral("config")));
    // Large enough for the main window at (0,0) and the centred control dialog.
    const QString failure = xvfb_.start(1280, 1024);
    // A package build may run where no X server can start (a build chroot);
    // it asks for these tests to be skipped there rather than fail.
    if (!failure.isEmpty() && qEnvironmentVariable("TRELVANE_DESKTOP_TESTS") == QLatin1String("optional"))
        GTEST_SKIP() << "no X server here: " << failure.toStdString();
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();

    environment_ = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER"})
        environment_.remove(QString::fromLatin1(name));
    environment_.insert(QStringLiteral("DISPLAY"), xvfb_.display());
    environment_.insert(QStringLiteral("TRELVANE_PORTS_DIR"), path(QStringLiteral("ports")));
    environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    environment_.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
    xdo_ = std::make_unique<XDoTool>(environment_);
    simulator_.setProcessEnvironment(environment_);
    trelvane_.setProcessEnvironment(environment_);
}

void DesktopSession::TearDown()
{
    stopProcess(trelvane_);
    stopProcess(simulator_);
    xvfb_.stop();
}

void DesktopSession::stopProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

::testing::AssertionResult DesktopSession::startSimulator(int port, const QStringList& options, const QString& sentLog)
{
    const QString ports = path(QStringLiteral("ports"));
    simulator_.start(toolPath(QStringLiteral("trelvane-charger-sim")),
                     options
                         + QStringList{QStringLiteral("--register"), ports, QStringLiteral("--port"),
                                       QString::number(port), QStringLiteral("--wait-for-reader"),
                                       QStringLiteral("60"), QStringLiteral("--log"), sentLog});
    if (!simulator_.waitForStarted(10000))
        return ::testing::AssertionFailure() << "the simulator did not start";
    const QString link = QDir(ports).filePath(QStringLiteral("COM%1").arg(port));
    if (!waitFor([&] { return QFileInfo(link).isSymLink() || simulator_.state() == QProcess::NotRunning; }, 10000)
        || simulator_.state() == QProcess::NotRunning)
        return ::testing::AssertionFailure() << "COM" << port << " was not registered: "
                                             << simulator_.readAllStandardError().toStdString();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult DesktopSession::startTrelvane(const QStringList& arguments)
{
    trelvane_.setProcessChannelMode(QProcess::MergedChannels);
    trelvane_.start(toolPath(QStringLiteral("trelvane")), arguments);
    if (!trelvane_.waitForStarted(10000))
        return ::testing::AssertionFailure() << "trelvane did not start";
    return ::testing::AssertionSuccess();
}

XDoTool::Window DesktopSession::startMonitoring(int port, const QString& log)
{
    EXPECT_TRUE(startTrelvane({QStringLiteral("--port"), QString::number(port), QStringLiteral("--log"), log}));
    const XDoTool::Window control = waitForWindow(kControlDialogSize);
    if (control.id == 0) {
        ADD_FAILURE() << "no control dialog; trelvane said: " << trelvaneOutput().toStdString();
        return {};
    }
    EXPECT_TRUE(click(control, kStartButton));
    const XDoTool::Window main = waitForWindow(kMainWindowSize);
    EXPECT_NE(main.id, 0u) << "no main window after \"start\"";
    return main;
}

XDoTool::Window DesktopSession::waitForWindow(QSize size, int deadlineMs) const
{
    XDoTool::Window found;
    waitFor(
        [&] {
            found = xdo_->windowOfSize(QStringLiteral("Trelvane"), size);
            return found.id != 0;
        },
        deadlineMs, 100);
    return found;
}

XDoTool::Window DesktopSession::waitForMessageBox(int deadlineMs, qulonglong other) const
{
    XDoTool::Window found;
    waitFor(
        [&] {
            for (const XDoTool::Window& window : xdo_->visibleWindows(QStringLiteral("Trelvane"))) {
                const QSize size = window.geometry.size();
                if (size != kMainWindowSize && size != kControlDialogSize && window.id != other) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        deadlineMs, 100);
    return found;
}

ScreenShot DesktopSession::screenShot(const QString& name) const
{
    return ScreenShot::take(environment_, path(name + QStringLiteral(".png")));
}

bool DesktopSession::waitForTrelvaneExit(int deadlineMs)
{
    const bool ended = trelvane_.state() == QProcess::NotRunning || trelvane_.waitForFinished(deadlineMs);
    trelvaneOutput_ += trelvane_.readAll();
    return ended;
}

int DesktopSession::trelvaneExitCode() const
{
    return trelvane_.exitCode();
}

bool DesktopSession::trelvaneEndedNormally() const
{
    return trelvane_.state() == QProcess::NotRunning && trelvane_.exitStatus() == QProcess::NormalExit;
}

QString DesktopSession::trelvaneOutput()
{
    trelvaneOutput_ += trelvane_.readAll();
    return QString::fromLocal8Bit(trelvaneOutput_);
}

QImage DesktopSession::viewBackground(int bitmapId)
{
    const QImage bitmap(QStringLiteral(TRELVANE_SOURCE_DIR "/res/bitmaps/%1.png").arg(bitmapId));
    // Stretched as the program stretches it: smoothly.
    return bitmap.scaled(1024, 700, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

std::vector<MeasurementRecord> DesktopSession::readRecords(const QString& logPath, qint64* size)
{
    return readLog(logPath, size);
}
