#include "app/CMonitorDlg.h"

#include "acquisition/CReceiveThread.h"
#include "app/CAboutDlg.h"
#include "app/DialogServices.h"
#include "app/MainWindowBridge.h"
#include "charts/CDetailPanel.h"
#include "charts/CQuantityChart.h"
#include "controls/CImageButton.h"
#include "controls/DialogUnits.h"
#include "overview/COverviewPanel.h"
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
#include <QMenu>
#include <QPainter>
#include <QRegion>

namespace {

const QRect kViewGeometry(0, 20, 1024, 700);
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
    const ReplayReport report = readLogFile(QFile::encodeName(app_.logOpenPath).toStdString(), history_);
    QString text;
    QString detail;
    if (!report.opened) {
        // The charts stay empty.
        text = QStringLiteral("Cannot open log file \"%1\"").arg(app_.logOpenPath);
        detail = QString::fromStdString(report.error);
    } else if (!report.check.looksLikeRecording()) {
        // Logs have no header, so such a file is not refused: it is shown as it stands.
        text = QStringLiteral("The log file \"%1\" does not look like one recording").arg(app_.logOpenPath);
        detail = decoded(report.check.describe()) + QStringLiteral("\nIts records are shown as they are.");
    }
    // Shown once the window is up.
    if (!text.isEmpty()) {
        QMetaObject::invokeMethod(this, [this, text, detail] { services_.notify(this, text, detail); },
                                  Qt::QueuedConnection);
    }
}

void CMonitorDlg::stopAcquisition()
{
    recordingTimer_.stop();
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
    recordingTimer_.stop();
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
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("MANUAL.pdf"));
}

void CMonitorDlg::openHelp()
{
    // Nothing is said when the manual is missing.
    if (QFileInfo::exists(manualPath_))
        services_.openWithDesktop(manualPath_);
}

void CMonitorDlg::showAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CMonitorDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // Where there is no system menu to extend, the About entry lives here.
    QMenu menu(this);
    menu.addAction(QStringLiteral("&About Trelvane..."), this, &CMonitorDlg::showAbout);
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
    recordingTimer_.stop();
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
