#include "recorder/RecorderBridge.h"

RecorderBridge::RecorderBridge(SessionHost& target, QObject* context) : target_(target), call_(context)
{
}

int RecorderBridge::startRecordingTimer()
{
    return call_.call([this] { return target_.startRecordingTimer(); }, 0);
}

void RecorderBridge::stopRecordingTimer()
{
    call_.call([this] { target_.stopRecordingTimer(); });
}

void RecorderBridge::repaintOverviewWithoutErase()
{
    call_.post([this] { target_.repaintOverviewWithoutErase(); });
}

void RecorderBridge::beep()
{
    call_.post([this] { target_.beep(); });
}

void RecorderBridge::sessionEvent(SessionEvent event, const std::string& detail)
{
    // Waited for: a line reported back must be in effect before the next
    // frame is read, and a lost one before the next tick where possible.
    call_.call([this, event, detail] { target_.sessionEvent(event, detail); });
}
