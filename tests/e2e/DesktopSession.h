#pragma once

// Fixture for tests of the whole program on a real X display: a private Xvfb,
// a temporary folder for the registered ports, the settings and the log
// files, the charger simulator and trelvane as child processes. TearDown
// ends every process it started, whatever the test did.

#include "acquisition/MeasurementRecord.h"
#include "e2e/ScreenShot.h"
#include "e2e/XDoTool.h"
#include "e2e/XvfbServer.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class DesktopSession : public ::testing::Test {
protected:
    static constexpr QSize kMainWindowSize{1024, 720}; // its client area
    static constexpr QSize kControlDialogSize{580, 334};
    static constexpr QPoint kViewOrigin{0, 20}; // the views inside the main window
    static constexpr QPoint kStartButton{141 + 41, 278 + 13}; // in the control dialog

    void SetUp() override;
    void TearDown() override;

    QString path(const QString& name) const { return work_.filePath(name); }

    // Starts the simulator as COM`port`; waits until the port is registered.
    // `sentLog` receives its CSV of frames sent.
    ::testing::AssertionResult startSimulator(int port, const QStringList& options, const QString& sentLog);
    ::testing::AssertionResult startTrelvane(const QStringList& arguments);
    // Starts trelvane on COM`port` with `log`, presses "start", returns the main window (id 0 when none came).
    XDoTool::Window startMonitoring(int port, const QString& log);

    // Waits for a visible window titled "Trelvane" of that size.
    XDoTool::Window waitForWindow(QSize size, int deadlineMs = 20000) const;
    // Waits for a "Trelvane" box: a visible window titled so that is neither
    // the main window nor the control dialog (nor the window `other`).
    XDoTool::Window waitForMessageBox(int deadlineMs, qulonglong other = 0) const;

    // Clicks at a point of a window, in its own coordinates.
    bool click(const XDoTool::Window& window, QPoint at) const { return xdo_->click(window.id, at.x(), at.y()); }
    bool pressKey(const XDoTool::Window& window, const QString& key) const { return xdo_->pressKey(window.id, key); }

    ScreenShot screenShot(const QString& name) const;

    // Waits for trelvane to end; false when it still runs at the deadline.
    bool waitForTrelvaneExit(int deadlineMs);
    int trelvaneExitCode() const;
    bool trelvaneEndedNormally() const;
    QString trelvaneOutput();

    // A bitmap from the program's resources as the views draw it: stretched
    // over a 1024x700 view.
    static QImage viewBackground(int bitmapId);

    static std::vector<MeasurementRecord> readRecords(const QString& logPath, qint64* size = nullptr);

    QProcessEnvironment environment_;
    std::unique_ptr<XDoTool> xdo_;
    QProcess simulator_;
    QProcess trelvane_;

private:
    static void stopProcess(QProcess& process);

    QTemporaryDir work_;
    XvfbServer xvfb_;
    QByteArray trelvaneOutput_;
};
