#include "recorder/RecorderThread.h"

#include <QDeadlineTimer>

RecorderThread::RecorderThread(int portNumber, const QString& devicePath, RecorderSession::Options options,
                               SharedWords& words, LiveRecord& liveRecord, SessionHost& mainSide, QObject* parent)
    : QThread(parent), options_(options), words_(words), liveRecord_(liveRecord),
      line_(link_, portNumber, devicePath, stop_), bridge_(mainSide, this)
{
}

RecorderThread::~RecorderThread()
{
    // The thread uses the words, the record, the link and the bridge.
    if (!shutdown())
        wait();
}

bool RecorderThread::shutdown(int timeoutMs)
{
    stop_.store(true);
    line_.wake();
    link_.abort();
    bridge_.cancel();
    return wait(QDeadlineTimer(timeoutMs));
}

void RecorderThread::run()
{
    RecorderSession session(line_, words_, liveRecord_, bridge_, stop_, options_);
    end_.store(session.run());
    // The port belongs to this thread's objects; it is closed here.
    line_.close();
}
