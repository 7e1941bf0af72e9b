#include "app/MainWindowBridge.h"

#include "app/CMonitorDlg.h"
#include "controls/PlainMessageBox.h"
#include "overview/COverviewPanel.h"

#include <QApplication>

MainWindowBridge::MainWindowBridge(CMonitorDlg& window)
    : window_(window), call_(&window)
{
}

int MainWindowBridge::startRecordingTimer()
{
    return call_.call([this] { return window_.startRecordingTimer(); }, 0);
}

void MainWindowBridge::stopRecordingTimer()
{
    call_.call([this] { window_.stopRecordingTimer(); });
}

void MainWindowBridge::repaintOverviewWithoutErase()
{
    call_.post([this] { window_.overview()->repaintWithoutErase(); });
}

void MainWindowBridge::showMessage(const QString& text, const QString& detail)
{
    // The box does not block the window (views can still be switched); the
    // thread waits until it is closed, or until the window closes.
    call_.await([this, text, detail](Completion<void> done) {
        auto* box = new PlainMessageBox(QMessageBox::NoIcon, text, detail, QMessageBox::Ok, &window_);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        QObject::connect(box, &QMessageBox::finished, box, [done] { done(); });
        QObject::connect(&call_, &UiThreadCall::cancelled, box, &QWidget::close);
        box->show();
    });
}

void MainWindowBridge::requestClose()
{
    call_.call([this] { window_.closeAtAcquisitionRequest(); });
}

void MainWindowBridge::beep()
{
    call_.post([] { QApplication::beep(); });
}

void MainWindowBridge::cancelBlockingCalls()
{
    call_.cancel();
}
