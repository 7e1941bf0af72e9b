#pragma once

#include "acquisition/AcquisitionHost.h"
#include "acquisition/UiThreadCall.h"

class CMonitorDlg;

// Carries the acquisition thread's requests over to the main window on the
// user-interface thread. Once cancelled (the window is closing), every request
// returns at once, so the window can stop the thread without a deadlock.
class MainWindowBridge : public AcquisitionHost {
public:
    explicit MainWindowBridge(CMonitorDlg& window);

    int startRecordingTimer() override;
    void stopRecordingTimer() override;
    void repaintOverviewWithoutErase() override;
    void showMessage(const QString& text, const QString& detail) override;
    void requestClose() override;
    void beep() override;
    void cancelBlockingCalls() override;

private:
    CMonitorDlg& window_;
    UiThreadCall call_;
};
