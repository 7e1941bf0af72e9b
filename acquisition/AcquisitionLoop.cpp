#include "acquisition/AcquisitionLoop.h"

AcquisitionLoop::AcquisitionLoop(ByteSource& source, SharedWords& words, LiveRecord& liveRecord, LoopHost& host,
                                 const std::atomic<bool>& stopRequested)
    : words_(words), host_(host), stopRequested_(stopRequested), reader_(source), decoder_(words, liveRecord, host)
{
}

AcquisitionLoop::Outcome AcquisitionLoop::step()
{
    if (read() == Read::Cancelled)
        return Outcome::Cancelled;
    return apply();
}

AcquisitionLoop::Read AcquisitionLoop::read()
{
    buffer_.fill(0);
    length_ = reader_.readFrame(buffer_);
    // A read cut short by a stop request is not a loss of data: no beep, no lamp.
    if (stopRequested_.load())
        last_ = Read::Cancelled;
    else if (length_ == 0)
        last_ = Read::NoFrame;
    else {
        words_.frameVariant.store(variantForLength(length_, words_.frameVariant.load()));
        last_ = Read::Frame;
    }
    return last_;
}

FrameKind AcquisitionLoop::kind() const
{
    return classifyFrame(buffer_, words_.frameVariant.load());
}

AcquisitionLoop::Outcome AcquisitionLoop::apply()
{
    switch (last_) {
    case Read::Cancelled:
        return Outcome::Cancelled;
    case Read::Frame:
        return decoder_.decodeFrame(buffer_) == FrameDecoder::Result::Stop ? Outcome::ChargeEnded
                                                                           : Outcome::Decoded;
    case Read::NoFrame:
        break;
    }
    const bool recording = words_.recordingTimer.load() != 0;
    if (recording) {
        decoder_.stopRecording();
        host_.beep();
    }
    words_.cellsStatus.store(CellsStatus::Disconnect);
    host_.repaintOverviewWithoutErase();
    return recording ? Outcome::DataLost : Outcome::Silence;
}
