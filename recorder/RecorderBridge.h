#pragma once

#include "acquisition/UiThreadCall.h"
#include "recorder/SessionHost.h"

// Carries the session's calls from the acquisition thread to the recorder on
// its main thread, in order, each returning once it has run there. After
// cancel() every call returns at once (a stop is under way).
class RecorderBridge : public SessionHost {
public:
    // `target` is called on the thread of `context`.
    RecorderBridge(SessionHost& target, QObject* context);

    int startRecordingTimer() override;
    void stopRecordingTimer() override;
    void repaintOverviewWithoutErase() override;
    void beep() override;
    void sessionEvent(SessionEvent event, const std::string& detail) override;

    void cancel() { call_.cancel(); }

private:
    SessionHost& target_;
    UiThreadCall call_;
};
