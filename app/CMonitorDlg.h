#pragma once

#include "app/AppState.h"
#include "library/LibraryRecorder.h"
#include "recording/RecordingHost.h"
#include "recording/SampleHistory.h"

#include <QDialog>
#include <QTimer>

#include <memory>

class BackgroundReplay;
class CDetailPanel;
class QProgressDialog;
class CImageButton;
class COverviewPanel;
class CReceiveThread;
class DialogServices;
class MainWindowBridge;
class RecordingTick;

// The main window: the Overview / Detail Window / Help buttons above two views.
// In live mode it runs the acquisition thread and the one-second recording
// tick; in replay mode it loads the chosen log file once.
class CMonitorDlg : public QDialog, private RecordingHost {
    Q_OBJECT
public:
    CMonitorDlg(AppState& app, DialogServices& services, QWidget* parent = nullptr);
    ~CMonitorDlg() override;

    COverviewPanel* overview() const { return overview_; }
    CDetailPanel* detail() const { return detail_; }
    CImageButton* overviewButton() const { return overviewButton_; }
    CImageButton* detailButton() const { return detailButton_; }
    CImageButton* helpButton() const { return helpButton_; }
    CReceiveThread* acquisitionThread() const { return thread_.get(); }
    bool recordingTimerActive() const { return recordingTimer_.isActive(); }
    // While a long replay runs: its progress display; null otherwise.
    QProgressDialog* replayProgress() const { return replayProgress_; }
    bool replayRunning() const { return replay_ != nullptr; }

    // What the acquisition thread asks for, run on the user-interface thread.
    int startRecordingTimer();
    void stopRecordingTimer();
    // The thread's close request (its port could not be opened): the window
    // closes, but the thread is left to finish its exit step, which says "exit".
    void closeAtAcquisitionRequest();
    // After a close the thread asked for: waits, with events running, until
    // the thread has ended (its "exit" box closed). At once after any other close.
    void awaitAcquisitionEnd();
    // After the close: waits until a recording it ended is in the run
    // library, and tells in a box that waits for OK when it could not be added.
    void awaitLibrary();

    // Help opens MANUAL.pdf beside the program, or else the installed one.
    static QString defaultManualPath();
    void setManualPath(const QString& path) { manualPath_ = path; }

public slots:
    void showOverview();
    void showDetail();
    void openHelp();
    // The run library's window.
    void showRuns();
    void showAbout();
    // The analysis window on the log being recorded or replayed.
    void openAnalysis();
    void done(int result) override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void startLiveMonitoring();
    void replayLogFile();
    void showReplayProgress();
    void followReplay();
    void finishReplay();
    void tick();
    void stopAcquisition();
    // Stops the tick; a recording that was on goes into the run library.
    void endRecording();

    // RecordingHost
    void showCellIndicators(int count) override;
    void transferOverviewData() override;
    void invalidate(View view) override;
    void logWriteFailed(const std::string& path, const std::string& reason) override;
    void logWriteRecovered(const std::string& path) override;
    void logFileReplaced(const LogFileChange& change) override;

    AppState& app_;
    DialogServices& services_;
    SampleHistory history_;
    CImageButton* overviewButton_ = nullptr;
    CImageButton* detailButton_ = nullptr;
    CImageButton* helpButton_ = nullptr;
    COverviewPanel* overview_ = nullptr;
    CDetailPanel* detail_ = nullptr;
    QTimer recordingTimer_;
    std::unique_ptr<RecordingTick> tick_;
    std::unique_ptr<MainWindowBridge> bridge_;
    std::unique_ptr<CReceiveThread> thread_;
    std::unique_ptr<BackgroundReplay> replay_;
    QProgressDialog* replayProgress_ = nullptr;
    QTimer replayPoll_;
    bool acquisitionEnding_ = false; // closed at the thread's request; it ends by itself
    QString manualPath_ = defaultManualPath();
    LibraryRecorder library_;
};
