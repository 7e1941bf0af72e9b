#include "app/CMonitorDlg.h"

#include "acquisition/CReceiveThread.h"
#include "analysis/AnalysisWindow.h"
#include "app/CAboutDlg.h"
#include "app/DialogServices.h"
#include "app/MainWindowBridge.h"
#include "app/ManualLocation.h"
#include "charts/CDetailPanel.h"
#include "charts/CQuantityChart.h"
#include "controls/CImageButton.h"
#include "controls/DialogUnits.h"
#include "library/RunsWindow.h"
#include "overview/COverviewPanel.h"
#include "recording/BackgroundReplay.h"
#include "recording/LogReplay.h"
#include "recording/RecordingTick.h"
#include "res/Bitmaps.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPainter>
#include <QRegion>

namespace {

const QRect kViewGeometry(0, 20, 1024, 700);
// A replay that takes longer than this shows a progress display instead of
// holding the window back; a shorter one is over before the first paint.
constexpr std::chrono::milliseconds kReplayQuietFor{300};
constexpr int kReplayPollMs = 50;
// The window's 1024 x 750 is an outer size, caption included: the client area
// is 1024 x 720, and the views fill it from y = 20 to the bottom edge.
constexpr QSize kClientSize(1024, 720);
// Shown where a maximised window is larger than its content: the dark field
// of the views' backgrounds.
const QColor kSpareAreaColour(57, 54, 51);

QString decoded(const std::string& text)
{
    return QFile::decodeName(text.c_str());
}

} // namespace

CMonitorDlg::CMonitorDlg(AppState& app, DialogServices& services, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                          | Qt::WindowCloseButtonHint)
    , app_(app)
    , services_(services)
    , history_(app.chart, app.words, *this)
{
    setWindowTitle(QStringLiteral("Trelvane"));
    setWindowIcon(QIcon(loadBitmap(128)));
    QFont dialogFont(QStringLiteral("Arial"));
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    // Not a fixed size: minimum = maximum would leave a window manager no
    // way to maximise it. Maximised, nothing moves or resizes.
    setMinimumSize(kClientSize);
    resize(kClientSize);
    move(0, 0);

    overviewButton_ = new CImageButton(QStringLiteral("Overview"), this);
    overviewButton_->setGeometry(DialogUnits::rect(0, 0, 55, 12));
    detailButton_ = new CImageButton(QStringLiteral("Detail Window"), this);
    detailButton_->setGeometry(DialogUnits::rect(55, 0, 54, 12));
    helpButton_ = new CImageButton(QStringLiteral("Help"), this);
    helpButton_->setGeometry(DialogUnits::rect(109, 0, 56, 12));

    overview_ = new COverviewPanel(app_.chart, app_.words, this);
    detail_ = new CDetailPanel(app_.chart, app_.words, this);
    showOverview();

    recordingTimer_.setInterval(kRecordingPeriodMs);
    connect(&recordingTimer_, &QTimer::timeout, this, &CMonitorDlg::tick);

    if (app_.words.runMode.load() == RunMode::Live)
        startLiveMonitoring();
    else if (app_.words.runMode.load() == RunMode::Replay)
        replayLogFile();

    overviewButton_->shortSetUp(151, 152);
    detailButton_->shortSetUp(151, 152);
    helpButton_->shortSetUp(151, 152);

    connect(overviewButton_, &QPushButton::clicked, this, &CMonitorDlg::showOverview);
    connect(detailButton_, &QPushButton::clicked, this, &CMonitorDlg::showDetail);
    connect(helpButton_, &QPushButton::clicked, this, &CMonitorDlg::openHelp);
    connect(overview_, &COverviewPanel::closeRequested, this, &QDialog::close);
    connect(detail_, &CDetailPanel::closeRequested, this, &QDialog::close);
    connect(&library_, &LibraryRecorder::notAdded, this, [this](const QString&, const QString& notice) {
        const QString text = QStringLiteral("The run was not added to the run library");
        // A box that does not wait would vanish with a program that is ending.
        if (isVisible())
            services_.notify(this, text, notice);
        else
            services_.inform(this, text, notice);
    });
    overviewButton_->setFocus();
}

CMonitorDlg::~CMonitorDlg()
{
    stopAcquisition();
}

void CMonitorDlg::startLiveMonitoring()
{
    if (thread_)
        return;
    tick_ = std::make_unique<RecordingTick>(history_, app_.liveRecord,
                                            QFile::encodeName(app_.logSavePath).toStdString());
    bridge_ = std::make_unique<MainWindowBridge>(*this);
    thread_ = std::make_unique<CReceiveThread>(app_.words, app_.liveRecord, *bridge_);
    thread_->start();
}

void CMonitorDlg::replayLogFile()
{
    // Off the user-interface thread, into a copy of the chart state: the
    // charts see the finished state only.
    replay_ = std::make_unique<BackgroundReplay>(QFile::encodeName(app_.logOpenPath).toStdString(), app_.chart,
                                                 app_.words.cellsStatus.load());
    if (replay_->waitFor(kReplayQuietFor)) {
        finishReplay();
        return;
    }
    // A huge log: the window comes up with empty charts and the progress.
    replayPoll_.setInterval(kReplayPollMs);
    connect(&replayPoll_, &QTimer::timeout, this, &CMonitorDlg::followReplay);
    replayPoll_.start();
    QMetaObject::invokeMethod(this, &CMonitorDlg::showReplayProgress, Qt::QueuedConnection);
}

void CMonitorDlg::showReplayProgress()
{
    if (!replay_)
        return;
    replayProgress_ = new QProgressDialog(this);
    // The path is shown as it is, never read as markup.
    auto* label = new QLabel(replayProgress_);
    label->setTextFormat(Qt::PlainText);
    label->setText(QStringLiteral("Reading log file \"%1\"").arg(app_.logOpenPath));
    replayProgress_->setLabel(label);
    replayProgress_->setWindowTitle(QStringLiteral("Trelvane"));
    replayProgress_->setWindowModality(Qt::WindowModal);
    replayProgress_->setRange(0, 100);
    replayProgress_->setMinimumDuration(0);
    replayProgress_->setAutoClose(false);
    replayProgress_->setAutoReset(false);
    replayProgress_->setValue(replay_->percent());
    // Its button and its close box say "canceled"; Esc only rejects it.
    const auto cancel = [this] {
        if (replay_)
            replay_->cancel();
    };
    connect(replayProgress_, &QProgressDialog::canceled, this, cancel);
    connect(replayProgress_, &QDialog::rejected, this, cancel);
    replayProgress_->show();
}

void CMonitorDlg::followReplay()
{
    if (!replay_)
        return;
    if (replay_->finished()) {
        finishReplay();
        return;
    }
    if (replayProgress_)
        replayProgress_->setValue(replay_->percent());
}

void CMonitorDlg::finishReplay()
{
    replayPoll_.stop();
    if (replayProgress_) {
        replayProgress_->hide();
        replayProgress_->deleteLater();
        replayProgress_ = nullptr;
    }
    const std::unique_ptr<BackgroundReplay> replay = std::move(replay_);
    const ReplayReport& report = replay->report();
    const QString path = app_.logOpenPath;
    const auto tell = [this](const QString& text, const QString& reason) {
        // Shown once the window is up.
        QMetaObject::invokeMethod(this, [this, text, reason] { services_.notify(this, text, reason); },
                                  Qt::QueuedConnection);
    };
    if (report.cancelled) {
        // As for a file that cannot be read: the charts stay empty.
        app_.chart.historyCount = 0;
        tell(QStringLiteral("Replay of log file \"%1\" cancelled").arg(path),
             QStringLiteral("The charts stay empty."));
        return;
    }
    app_.chart = replay->state();
    app_.words.cellsStatus.store(replay->cellsStatus());
    transferOverviewData();
    if (!report.opened) {
        tell(QStringLiteral("Cannot open log file \"%1\"").arg(path), QString::fromStdString(report.error));
    } else if (report.shrank()) {
        tell(QStringLiteral("Log file \"%1\" became shorter while it was read").arg(path),
             QStringLiteral("%1 of its %2 records were replayed.").arg(report.records).arg(report.recordsAtStart));
    } else if (!report.check.looksLikeRecording()) {
        // Logs have no header, so such a file is not refused: it is shown as it stands.
        tell(QStringLiteral("The log file \"%1\" does not look like one recording").arg(path),
             decoded(report.check.describe()) + QStringLiteral("\nIts records are shown as they are."));
    }
    // The views may have painted the empty charts while the file was read.
    for (View view : {View::CapacityPanel, View::CurrentPanel, View::TemperaturePanel, View::VoltagePanel,
                      View::DetailPanel, View::OverviewPanel})
        invalidate(view);
}

void CMonitorDlg::stopAcquisition()
{
    // A replay still reading stops after its block; its state is not taken.
    replayPoll_.stop();
    replay_.reset();
    endRecording();
    if (thread_) {
        // The thread notices the stop within a read slice; the second wait
        // only guards against destroying a thread that is still running.
        if (!thread_->shutdown())
            thread_->wait();
        thread_.reset();
    }
}

void CMonitorDlg::tick()
{
    if (tick_)
        tick_->tick();
}

int CMonitorDlg::startRecordingTimer()
{
    recordingTimer_.start();
    return recordingTimer_.isActive() ? kRecordingTimerId : 0;
}

void CMonitorDlg::stopRecordingTimer()
{
    endRecording();
}

void CMonitorDlg::endRecording()
{
    const bool recording = recordingTimer_.isActive();
    recordingTimer_.stop();
    // The log holds every tick by now; the library only indexes it.
    if (recording && tick_)
        library_.add(QFile::decodeName(tick_->logPath().c_str()));
}

void CMonitorDlg::closeAtAcquisitionRequest()
{
    acquisitionEnding_ = true;
    close();
}

void CMonitorDlg::awaitAcquisitionEnd()
{
    if (acquisitionEnding_ && thread_) {
        QEventLoop loop;
        connect(thread_.get(), &QThread::finished, &loop, &QEventLoop::quit);
        if (!thread_->isFinished())
            loop.exec();
    }
    stopAcquisition();
}

void CMonitorDlg::awaitLibrary()
{
    library_.wait();
}

void CMonitorDlg::showOverview()
{
    overview_->setGeometry(kViewGeometry);
    detail_->setGeometry(kViewGeometry);
    detail_->hide();
    overview_->show();
    overview_->raise();
}

void CMonitorDlg::showDetail()
{
    overview_->setGeometry(kViewGeometry);
    detail_->setGeometry(kViewGeometry);
    overview_->hide();
    detail_->show();
    detail_->raise();
}

QString CMonitorDlg::defaultManualPath()
{
    return ManualLocation::forThisProgram();
}

void CMonitorDlg::openHelp()
{
    // Nothing is said when the manual is missing.
    if (QFileInfo::exists(manualPath_))
        services_.openWithDesktop(manualPath_);
}

void CMonitorDlg::showRuns()
{
    RunsWindow* runs = RunsWindow::openWindow(library_.libraryPath(), this);
    // A recording that ends while it is open shows up in it.
    connect(&library_, &LibraryRecorder::added, runs, &RunsWindow::reload);
}

void CMonitorDlg::showAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CMonitorDlg::openAnalysis()
{
    // A child window, so that this modal window does not block it.
    // A log replaced during the recording leaves the records in a new file.
    const bool live = app_.words.runMode.load() == RunMode::Live;
    const QString recorded = tick_ ? QFile::decodeName(tick_->logPath().c_str()) : app_.logSavePath;
    AnalysisWindow::openWindow({live ? recorded : app_.logOpenPath}, this);
}

void CMonitorDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // Where there is no system menu to extend, the About entry lives here.
    QMenu menu(this);
    menu.addAction(QStringLiteral("&About Trelvane..."), this, &CMonitorDlg::showAbout);
    menu.addAction(QStringLiteral("Analyse log..."), this, &CMonitorDlg::openAnalysis);
    menu.addAction(QStringLiteral("Runs..."), this, &CMonitorDlg::showRuns);
    menu.exec(event->globalPos());
}

void CMonitorDlg::closeEvent(QCloseEvent* event)
{
    if (!acquisitionEnding_)
        stopAcquisition();
    QDialog::closeEvent(event);
}

void CMonitorDlg::done(int result)
{
    // Every way out the user takes (Esc, Exit buttons, the close box) stops
    // the thread before the window and the state it uses go, and so skips
    // its "exit". The thread's own close request leaves it to say "exit" and
    // end by itself (awaitAcquisitionEnd); the recording timer never ran then.
    // A recording that is on ends here whichever way, and so goes into the
    // run library.
    endRecording();
    if (!acquisitionEnding_)
        stopAcquisition();
    QDialog::done(result);
}

void CMonitorDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRegion spare = QRegion(rect()) - QRegion(QRect(QPoint(0, 0), kClientSize));
    for (const QRect& area : spare)
        painter.fillRect(area, kSpareAreaColour);
}

void CMonitorDlg::showCellIndicators(int count)
{
    overview_->showCellIndicators(count);
}

void CMonitorDlg::transferOverviewData()
{
    // The overview's controls carry no values; the repaint that follows shows the sample.
}

void CMonitorDlg::invalidate(View view)
{
    switch (view) {
    case View::CapacityPanel: overview_->chart(Quantity::Capacity)->update(); break;
    case View::CurrentPanel: overview_->chart(Quantity::Current)->update(); break;
    case View::TemperaturePanel: overview_->chart(Quantity::Temperature)->update(); break;
    case View::VoltagePanel: overview_->chart(Quantity::Voltage)->update(); break;
    case View::DetailPanel: detail_->update(); break;
    case View::OverviewPanel: overview_->repaintWithErase(); break;
    }
}

void CMonitorDlg::logWriteFailed(const std::string& path, const std::string& reason)
{
    services_.notify(this,
                     QStringLiteral("Cannot write the log file \"%1\"").arg(QFile::decodeName(path.c_str())),
                     QStringLiteral("%1\nThe charts keep recording; logging resumes by itself when the file "
                                    "can be written again.")
                         .arg(QString::fromStdString(reason)));
}

void CMonitorDlg::logWriteRecovered(const std::string&)
{
}

void CMonitorDlg::logFileReplaced(const LogFileChange& change)
{
    services_.notify(this, decoded(change.headline()), decoded(change.consequence()));
}
