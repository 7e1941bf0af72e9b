#include "RecordingAcquisitionHost.h"

#include <algorithm>

int RecordingAcquisitionHost::startRecordingTimer()
{
    const std::string call = "startTimer s=" + std::to_string(words_.secondsCounter.load());
    std::unique_lock<std::mutex> lock(mutex_);
    calls_.push_back(call);
    changed_.notify_all();
    holdIfAsked(holdTimerStart_, call, lock);
    return cancelled_ ? 0 : kRecordingTimerId;
}

void RecordingAcquisitionHost::stopRecordingTimer()
{
    record("stopTimer");
}

void RecordingAcquisitionHost::repaintOverviewWithoutErase()
{
    record("repaint " + std::to_string(words_.cellsStatus.load()));
}

void RecordingAcquisitionHost::showMessage(const QString& text, const QString& detail)
{
    const std::string call = "message " + text.toStdString();
    std::unique_lock<std::mutex> lock(mutex_);
    calls_.push_back(call);
    details_.push_back(detail.toStdString());
    changed_.notify_all();
    holdIfAsked(holdMessages_, call, lock);
}

void RecordingAcquisitionHost::requestClose()
{
    record("close");
}

void RecordingAcquisitionHost::beep()
{
    record("beep");
}

void RecordingAcquisitionHost::cancelBlockingCalls()
{
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
}

void RecordingAcquisitionHost::holdMessages(bool hold)
{
    std::lock_guard<std::mutex> lock(mutex_);
    holdMessages_ = hold;
}

void RecordingAcquisitionHost::holdTimerStart(bool hold)
{
    std::lock_guard<std::mutex> lock(mutex_);
    holdTimerStart_ = hold;
}

void RecordingAcquisitionHost::release()
{
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
}

std::vector<std::string> RecordingAcquisitionHost::calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

std::vector<std::string> RecordingAcquisitionHost::details() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return details_;
}

int RecordingAcquisitionHost::count(const std::string& call) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count(calls_.begin(), calls_.end(), call));
}

bool RecordingAcquisitionHost::cancelled() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return cancelled_;
}

std::string RecordingAcquisitionHost::heldIn() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return heldIn_;
}

bool RecordingAcquisitionHost::waitUntilHeldIn(const std::string& call, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return heldIn_ == call; });
}

bool RecordingAcquisitionHost::waitFor(const std::function<bool(const std::vector<std::string>&)>& pred,
                                       std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return pred(calls_); });
}

bool RecordingAcquisitionHost::waitForCall(const std::string& call, int times,
                                           std::chrono::milliseconds timeout) const
{
    return waitFor(
        [&](const std::vector<std::string>& calls) {
            return std::count(calls.begin(), calls.end(), call) >= times;
        },
        timeout);
}

void RecordingAcquisitionHost::record(std::string call)
{
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
    changed_.notify_all();
}

void RecordingAcquisitionHost::holdIfAsked(bool held, const std::string& call, std::unique_lock<std::mutex>& lock)
{
    if (!held)
        return;
    heldIn_ = call;
    released_ = false;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_ || cancelled_; });
    heldIn_.clear();
    changed_.notify_all();
}
