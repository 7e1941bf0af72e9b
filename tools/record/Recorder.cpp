#include "Recorder.h"

#include "CommandLine.h"
#include "Printable.h"

#include "library/FinishedRecording.h"
#include "recorder/ChargeFiles.h"
#include "recorder/StatusLine.h"
#include "recording/LogCsv.h"

#include <QCoreApplication>
#include <QFile>

#include <ctime>

#include <unistd.h>

namespace {

std::string records(long long count)
{
    return std::to_string(count) + (count == 1 ? " record" : " records");
}

std::tm localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

Recorder::Recorder(RecordSettings settings, RecorderConsole& console, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), console_(console), logWatch_(*this)
{
    // The monitor's recording timer: 1000 ms, started by the start frame.
    timer_.setInterval(kRecordingPeriodMs);
    connect(&timer_, &QTimer::timeout, this, &Recorder::tick);
}

Recorder::~Recorder()
{
    timer_.stop();
    thread_.reset(); // shuts the session down before the words and the record go
}

void Recorder::start()
{
    thread_ = std::make_unique<RecorderThread>(settings_.portNumber, QFile::decodeName(settings_.devicePath.c_str()),
                                               settings_.session, words_, liveRecord_, *this);
    connect(thread_.get(), &QThread::finished, this, &Recorder::sessionFinished, Qt::QueuedConnection);
    thread_->start();
}

void Recorder::stop()
{
    if (stopping_ || !thread_)
        return;
    stopping_ = true;
    // No tick after this one: what is on disk is what was completed.
    timer_.stop();
    thread_->shutdown();
}

int Recorder::startRecordingTimer()
{
    if (stopping_)
        return 0;
    std::string note;
    if (settings_.session.split) {
        const ChargeFiles::Created created = ChargeFiles::createInDirectory(settings_.splitDir, localNow());
        chargePath_ = created.path;
        if (!created.error.empty()) {
            // The ticks try again and report each failure streak; the exit status says records were lost.
            cli::report(kRecordTool, cli::printable(chargePath_), "cannot create the log: " + created.error);
            recordsLost_ = true;
        }
    } else {
        chargePath_ = settings_.logPath;
    }

    // Every charge starts with the state of a fresh run, as in a new monitor run.
    chart_ = ChartState{};
    history_ = std::make_unique<SampleHistory>(chart_, words_, logWatch_);
    tick_ = std::make_unique<RecordingTick>(*history_, liveRecord_, chargePath_);
    chargeOpen_ = true;
    lineDown_ = false;
    written_ = lost_ = missingSeconds_ = 0;
    lastLoggedStamp_ = 0;

    timer_.start();
    console_.event("charge started: recording into " + cli::printable(chargePath_));
    return timer_.isActive() ? kRecordingTimerId : 0;
}

void Recorder::stopRecordingTimer()
{
    timer_.stop();
    closeCharge();
}

void Recorder::closeCharge()
{
    if (!chargeOpen_)
        return;
    chargeOpen_ = false;
    lineDown_ = false;
    std::string line = "charge ended after " + LogCsv::clock(words_.secondsCounter.load()) + ": " + records(written_)
        + " in " + cli::printable(chargePath_);
    if (missingSeconds_ > 0)
        line += ", " + std::to_string(missingSeconds_) + " s without data";
    if (lost_ > 0)
        line += ", " + records(lost_) + " NOT written";
    if (settings_.session.split && written_ == 0 && lost_ == 0 && ::unlink(chargePath_.c_str()) == 0)
        line += " (no record: the empty file is removed)";
    console_.event(line);
    addToLibrary();
}

void Recorder::addToLibrary()
{
    if (!settings_.addToLibrary || written_ == 0)
        return;
    // The log is complete on disk; the library only indexes it, so a failure
    // here costs nothing recorded and leaves the exit status alone.
    const AddedRecording added = addFinishedRecording(chargePath_, settings_.libraryPath, kLibraryWaitMs);
    if (added.result == AddedRecording::Result::Added)
        console_.event("added to the run library");
    else if (added.result == AddedRecording::Result::Failed)
        cli::report(kRecordTool, added.notice);
}

void Recorder::tick()
{
    if (!tick_)
        return;
    if (lineDown_) {
        tick_->skipSecond();
        ++missingSeconds_;
    } else {
        tick_->tick();
        if (logWatch_.failing()) {
            ++lost_;
        } else {
            ++written_;
            lastLoggedStamp_ = words_.secondsCounter.load();
        }
    }
    const int seconds = words_.secondsCounter.load();
    if (seconds % settings_.statusEverySeconds == 0)
        console_.status(statusLine(chart_.snapshotRecord, seconds, written_, lineDown_));
}

std::string Recorder::stampText() const
{
    return LogCsv::clock(words_.secondsCounter.load());
}

void Recorder::sessionEvent(SessionEvent event, const std::string& detail)
{
    const std::string what = cli::printable(detail);
    switch (event) {
    case SessionEvent::PortOpened:
        console_.event("listening on " + what + (settings_.session.join ? "; waiting for a charge (or joining one)"
                                                                          : "; waiting for a charge to start"));
        break;
    case SessionEvent::OpenFailed:
        cli::report(kRecordTool, cli::printable(settings_.portLabel()), detail);
        break;
    case SessionEvent::Joined:
        console_.event("joined a charge already under way (no start frame seen)");
        break;
    case SessionEvent::LineLost:
        console_.event("line lost at " + stampText() + ": no data for a second; the charge ends here"
                       + (settings_.session.reconnect ? "" : " (--reconnect keeps it open)"));
        break;
    case SessionEvent::LineLostKeptOpen:
        lineDown_ = true;
        console_.event("line lost at " + stampText() + ": no data for a second; the charge stays open, "
                       "seconds without data are left out of the log");
        break;
    case SessionEvent::DeviceGone:
        console_.event(what + " is gone" + (settings_.session.reconnect ? "; waiting for it to come back" : ""));
        break;
    case SessionEvent::Waiting:
        console_.event("waiting: " + what);
        break;
    case SessionEvent::DeviceBack:
        console_.event(what + " is back");
        break;
    case SessionEvent::LineBack: {
        lineDown_ = false;
        const int now = words_.secondsCounter.load();
        if (now > lastLoggedStamp_)
            console_.event("line back at " + stampText() + ": stamps " + std::to_string(lastLoggedStamp_ + 1)
                           + " to " + std::to_string(now) + " are missing from the log");
        else
            console_.event("line back at " + stampText() + ": no second missed");
        break;
    }
    case SessionEvent::NewChargeDuringOutage:
        lineDown_ = false;
        console_.event("a new charge began while the line was down: the charge recorded ended unseen");
        break;
    case SessionEvent::GaveUp:
        console_.event("the line stayed lost for " + std::to_string(settings_.session.giveUpSeconds)
                       + " s (--give-up): the charge ends here");
        break;
    }
}

void Recorder::LogWatch::logWriteFailed(const std::string& path, const std::string& reason)
{
    failing_ = true;
    recorder_.recordsLost_ = true;
    recorder_.console_.finish();
    cli::report(kRecordTool, cli::printable(path), "cannot write the log: " + reason + "; records are being lost");
}

void Recorder::LogWatch::logWriteRecovered(const std::string& path)
{
    failing_ = false;
    recorder_.console_.event(cli::printable(path) + ": the log is written again");
}

void Recorder::LogWatch::logFileReplaced(const LogFileChange& change)
{
    // The records go on into another file: the summary and the library name it.
    recorder_.chargePath_ = change.newPath;
    recorder_.console_.finish();
    cli::report(kRecordTool, cli::printable(change.headline() + ". " + change.consequence()));
}

void Recorder::sessionFinished()
{
    timer_.stop();
    const SessionEnd end = thread_ ? thread_->sessionEnd() : SessionEnd::Stopped;
    closeCharge();
    switch (end) {
    case SessionEnd::Stopped: console_.event("stopped; every completed record is on disk"); break;
    case SessionEnd::ChargeInterrupted: console_.event("--split records the charges that follow"); break;
    default: break;
    }
    console_.finish();
    QCoreApplication::exit(exitStatusFor(end, recordsLost_));
}
