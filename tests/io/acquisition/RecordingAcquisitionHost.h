#pragma once

#include "acquisition/AcquisitionHost.h"
#include "acquisition/SharedWords.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// A fake main window for the acquisition thread: records every call in order
// (with the words the call is about), returns 100 from startRecordingTimer,
// and can hold showMessage or startRecordingTimer until released or cancelled.
// Entries: "startTimer s=<secondsCounter>", "stopTimer", "repaint <cellsStatus>",
// "beep", "close", "message <text>".
class RecordingAcquisitionHost : public AcquisitionHost {
public:
    explicit RecordingAcquisitionHost(SharedWords& words) : words_(words) {}

    int startRecordingTimer() override;
    void stopRecordingTimer() override;
    void repaintOverviewWithoutErase() override;
    void showMessage(const QString& text, const QString& detail) override;
    void requestClose() override;
    void beep() override;
    void cancelBlockingCalls() override;

    void holdMessages(bool hold);
    void holdTimerStart(bool hold);
    void release(); // lets the held call return

    std::vector<std::string> calls() const;
    std::vector<std::string> details() const; // showMessage details in order
    int count(const std::string& call) const;
    bool cancelled() const;
    // The call currently held, or "" when none.
    std::string heldIn() const;
    // Waits until `call` is being held; false at the deadline.
    bool waitUntilHeldIn(const std::string& call, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    // Waits until pred(calls) holds; false at the deadline.
    bool waitFor(const std::function<bool(const std::vector<std::string>&)>& pred,
                 std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    bool waitForCall(const std::string& call, int times = 1,
                     std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

protected:
    void record(std::string call);

private:
    // Holds the caller while `held` is set, until released or cancelled.
    void holdIfAsked(bool held, const std::string& call, std::unique_lock<std::mutex>& lock);

    SharedWords& words_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::string> calls_;
    std::vector<std::string> details_;
    bool holdMessages_ = false;
    bool holdTimerStart_ = false;
    bool released_ = false;
    bool cancelled_ = false;
    std::string heldIn_;
};
