#include "acquisition/CReceiveThread.h"

#include "acquisition/AcquisitionLoop.h"
#include "acquisition/PortMemory.h"
#include "acquisition/PortNames.h"

#include <QDeadlineTimer>

#include <chrono>

namespace {
constexpr int kPauseMs = 20;
}

CReceiveThread::CReceiveThread(SharedWords& words, LiveRecord& liveRecord, AcquisitionHost& host,
                               QObject* parent)
    : QThread(parent), words_(words), liveRecord_(liveRecord), host_(host)
{
}

CReceiveThread::~CReceiveThread()
{
    // The thread uses the words, the record, the host and the link: none of
    // them may go before it has ended, so wait on for as long as it takes.
    if (!shutdown()) {
        wait();
        joined();
    }
}

bool CReceiveThread::shutdown(int timeoutMs)
{
    {
        std::lock_guard<std::mutex> lock(stopMutex_);
        stop_.store(true);
    }
    stopChanged_.notify_all();
    link_.abort();
    host_.cancelBlockingCalls();
    if (!wait(QDeadlineTimer(timeoutMs)))
        return false;
    joined();
    return true;
}

void CReceiveThread::joined()
{
    // Pairs with the lock at the end of run(): QThread::wait synchronises
    // inside Qt, where ThreadSanitizer cannot see it.
    std::lock_guard<std::mutex> lock(stopMutex_);
}

void CReceiveThread::run()
{
    if (initInstance())
        runLoop();
    exitInstance();
    std::lock_guard<std::mutex> lock(stopMutex_); // see joined()
}

bool CReceiveThread::initInstance()
{
    if (stop_.load())
        return false;
    if (!link_.openPort(portNumberForIndex(words_.portIndex.load()))) {
        host_.showMessage(QStringLiteral("USB device open failed,software will exit!"), link_.failureReason());
        // Closing a window that is already closing would only hold it up.
        if (!stop_.load())
            host_.requestClose();
        return false;
    }
    PortMemory::save(words_.portIndex.load());
    return true;
}

void CReceiveThread::runLoop()
{
    AcquisitionLoop loop(link_, words_, liveRecord_, host_, stop_);
    while (!stop_.load()) {
        const AcquisitionLoop::Outcome outcome = loop.step();
        if (outcome == AcquisitionLoop::Outcome::Cancelled)
            return;
        if (outcome == AcquisitionLoop::Outcome::ChargeEnded || outcome == AcquisitionLoop::Outcome::DataLost)
            break;
        if (outcome == AcquisitionLoop::Outcome::Decoded) {
            // The pause after a frame, taken by the link together with the
            // wait for the next frame: one wake-up where there were two.
            link_.pauseBeforeRead(std::chrono::milliseconds(kPauseMs), kShortFrameLength);
            continue;
        }
        if (!pause(kPauseMs))
            return;
    }
    if (stop_.load())
        return;

    host_.showMessage(QStringLiteral("Monitor completed"), QString());
    // One run records one charge: idle with the port open until shutdown.
    // No event loop here: nothing is ever sent to this thread, and the port's
    // read notifier would keep draining the line into a buffer nobody reads,
    // without bound (the glib dispatcher ignores ExcludeSocketNotifiers).
    std::unique_lock<std::mutex> lock(stopMutex_);
    stopChanged_.wait(lock, [this] { return stop_.load(); });
}

void CReceiveThread::exitInstance()
{
    // At program end the box would hold the closing program open.
    if (!stop_.load())
        host_.showMessage(QStringLiteral("exit"), QString());
    link_.close();
}

bool CReceiveThread::pause(int milliseconds)
{
    std::unique_lock<std::mutex> lock(stopMutex_);
    return !stopChanged_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return stop_.load(); });
}
