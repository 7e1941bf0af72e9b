#pragma once

#include "RecordSettings.h"

#include "acquisition/LiveRecord.h"
#include "acquisition/SharedWords.h"
#include "recorder/RecorderConsole.h"
#include "recorder/RecorderThread.h"
#include "recorder/SessionHost.h"
#include "recording/ChartState.h"
#include "recording/RecordingTick.h"
#include "recording/SampleHistory.h"
#include "recording/SilentRecordingHost.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>

// The recorder's main thread: what the main window does for a recorded charge,
// without a window. The session on the acquisition thread starts and stops
// the one-second timer through the decoder's calls; each tick appends a record
// (or, while the line is down, counts a second without one). It prints what
// happens and ends the program with the session's exit status.
class Recorder : public QObject, public SessionHost {
    Q_OBJECT
public:
    Recorder(RecordSettings settings, RecorderConsole& console, QObject* parent = nullptr);
    ~Recorder() override;

    void start();
    // A stop signal: ends the session and the program; the charge closes
    // with every completed record on disk.
    void stop();

    // SessionHost, called on this thread through the bridge.
    int startRecordingTimer() override;
    void stopRecordingTimer() override;
    void repaintOverviewWithoutErase() override {}
    void beep() override {}
    void sessionEvent(SessionEvent event, const std::string& detail) override;

private:
    // Log write failures and recoveries, as the tick reports them.
    class LogWatch : public SilentRecordingHost {
    public:
        explicit LogWatch(Recorder& recorder) : recorder_(recorder) {}
        void logWriteFailed(const std::string& path, const std::string& reason) override;
        void logWriteRecovered(const std::string& path) override;
        void logFileReplaced(const LogFileChange& change) override;
        bool failing() const { return failing_; }

    private:
        Recorder& recorder_;
        bool failing_ = false;
    };

    void tick();
    void closeCharge();
    void addToLibrary();
    void sessionFinished();
    std::string stampText() const;

    // How long a finished charge waits for a library another program is writing:
    // the next charge may be starting meanwhile.
    static constexpr int kLibraryWaitMs = 2000;

    RecordSettings settings_;
    RecorderConsole& console_;
    SharedWords words_;
    LiveRecord liveRecord_;
    ChartState chart_;
    LogWatch logWatch_;
    std::unique_ptr<SampleHistory> history_;
    std::unique_ptr<RecordingTick> tick_;
    QTimer timer_;
    std::unique_ptr<RecorderThread> thread_;

    bool chargeOpen_ = false;
    bool lineDown_ = false;
    bool recordsLost_ = false;
    bool stopping_ = false;
    std::string chargePath_;
    long long written_ = 0;
    long long lost_ = 0;
    long long missingSeconds_ = 0;
    int lastLoggedStamp_ = 0;
};
