#pragma once

#include "acquisition/AcquisitionHost.h"
#include "acquisition/LiveRecord.h"
#include "acquisition/SerialLink.h"
#include "acquisition/SharedWords.h"

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>

// The acquisition thread: opens the port, reads and decodes frames, starts and
// stops the recording timer and sets the cells-status lamp.
class CReceiveThread : public QThread {
    Q_OBJECT
public:
    CReceiveThread(SharedWords& words, LiveRecord& liveRecord, AcquisitionHost& host,
                   QObject* parent = nullptr);
    ~CReceiveThread() override; // shuts down

    // Asks the thread to stop wherever it is (blocked read, waiting for a
    // message box or for the user-interface thread, sleeping, idle) and waits
    // for it, at most `timeoutMs`. Returns true when the thread has ended.
    // Once asked, the thread makes no further host call of its own accord and
    // skips the "exit" box. Final: the thread cannot be started again.
    bool shutdown(int timeoutMs = 2000);

    bool stopRequested() const { return stop_.load(); }

protected:
    void run() override;

private:
    bool initInstance();   // start-up step
    void runLoop();        // run step: the monitoring loop, then idle
    void exitInstance();   // exit step
    // Sleeps unless or until a stop is requested; false when stopping.
    bool pause(int milliseconds);
    // After the thread has ended: its writes are visible from here on.
    void joined();

    SharedWords& words_;
    LiveRecord& liveRecord_;
    AcquisitionHost& host_;
    SerialLink link_;
    std::atomic<bool> stop_{false};
    std::mutex stopMutex_;
    std::condition_variable stopChanged_;
};
