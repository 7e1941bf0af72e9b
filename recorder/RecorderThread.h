#pragma once

#include "acquisition/LiveRecord.h"
#include "acquisition/SerialLink.h"
#include "acquisition/SharedWords.h"
#include "recorder/RecorderBridge.h"
#include "recorder/RecorderSession.h"
#include "recorder/SerialSessionLine.h"

#include <QThread>

#include <atomic>

// The recorder's acquisition thread: runs a RecorderSession on the serial
// line and passes its calls to `mainSide` on the thread that created this one.
class RecorderThread : public QThread {
    Q_OBJECT
public:
    // portNumber > 0 names COMn; otherwise devicePath is opened.
    RecorderThread(int portNumber, const QString& devicePath, RecorderSession::Options options, SharedWords& words,
                   LiveRecord& liveRecord, SessionHost& mainSide, QObject* parent = nullptr);
    ~RecorderThread() override; // shuts down

    // Asks the session to stop wherever it is and waits for the thread, at
    // most `timeoutMs`; true when it has ended.
    bool shutdown(int timeoutMs = 3000);

    // How the session ended; meaningful once the thread has finished.
    SessionEnd sessionEnd() const { return end_.load(); }

protected:
    void run() override;

private:
    RecorderSession::Options options_;
    SharedWords& words_;
    LiveRecord& liveRecord_;
    std::atomic<bool> stop_{false};
    SerialLink link_;
    SerialSessionLine line_;
    RecorderBridge bridge_;
    std::atomic<SessionEnd> end_{SessionEnd::Stopped};
};
