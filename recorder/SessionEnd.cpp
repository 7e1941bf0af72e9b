#include "recorder/SessionEnd.h"

int exitStatusFor(SessionEnd end, bool recordsLost)
{
    if (end == SessionEnd::OpenFailed)
        return RecorderExit::kUsageOrPort;
    if (recordsLost)
        return RecorderExit::kRecordsLost;
    switch (end) {
    case SessionEnd::ChargeEnded: return RecorderExit::kChargeEnded;
    case SessionEnd::Stopped: return RecorderExit::kStopped;
    case SessionEnd::LineLost:
    case SessionEnd::DeviceGone:
    case SessionEnd::GaveUp:
    case SessionEnd::ChargeInterrupted: return RecorderExit::kLineLost;
    case SessionEnd::OpenFailed: break;
    }
    return RecorderExit::kUsageOrPort;
}
