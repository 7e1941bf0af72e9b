#include "acquisition/UiThreadCall.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>

namespace {

const QEvent::Type kCallEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class CallEvent : public QEvent {
public:
    explicit CallEvent(std::function<void()> fn) : QEvent(kCallEventType), fn(std::move(fn)) {}
    std::function<void()> fn;
};

// Runs the queued calls on the context thread. A posted event of our own
// rather than a queued functor: taking the core lock before the call is read
// makes the hand-over visible to ThreadSanitizer, which cannot see into Qt's
// event queue.
class CallReceiver : public QObject {
public:
    CallReceiver(std::shared_ptr<uithreadcall_detail::Core> core, QObject* context)
        : core_(std::move(core)), context_(context) {}

    bool event(QEvent* event) override
    {
        bool cancelled = false;
        {
            std::lock_guard<std::mutex> lock(core_->mutex); // before the event is read
            cancelled = core_->cancelled;
        }
        if (event->type() != kCallEventType)
            return QObject::event(event);
        auto* call = static_cast<CallEvent*>(event);
        if (!cancelled && !context_.isNull())
            call->fn();
        return true;
    }

private:
    std::shared_ptr<uithreadcall_detail::Core> core_;
    QPointer<QObject> context_;
};

} // namespace

UiThreadCall::UiThreadCall(QObject* context, QObject* parent)
    : QObject(parent)
    , core_(std::make_shared<uithreadcall_detail::Core>())
    , contextThread_(context->thread())
    , receiver_(new CallReceiver(core_, context))
{
    receiver_->moveToThread(contextThread_);
}

UiThreadCall::~UiThreadCall()
{
    cancel();
    // Deleting the receiver drops its pending calls, which releases their waiters.
    if (onContextThread())
        delete receiver_;
    else
        receiver_->deleteLater();
}

void UiThreadCall::post(std::function<void()> fn)
{
    run([core = core_, fn = std::move(fn)] {
        if (!coreCancelled(*core))
            fn();
    });
}

void UiThreadCall::cancel()
{
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        first = !core_->cancelled;
        core_->cancelled = true;
    }
    core_->changed.notify_all();
    // A wait on the context thread sleeps in its event dispatcher.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(contextThread_))
        dispatcher->wakeUp();
    if (first)
        emit cancelled();
}

bool UiThreadCall::isCancelled() const
{
    return coreCancelled(*core_);
}

bool UiThreadCall::coreCancelled(uithreadcall_detail::Core& core)
{
    std::lock_guard<std::mutex> lock(core.mutex);
    return core.cancelled;
}

bool UiThreadCall::onContextThread() const
{
    return QThread::currentThread() == contextThread_;
}

bool UiThreadCall::run(std::function<void()> fn)
{
    if (onContextThread()) {
        if (isCancelled())
            return false;
        fn();
        return true;
    }
    return enqueue(std::move(fn));
}

bool UiThreadCall::enqueue(std::function<void()> fn)
{
    auto* event = new CallEvent(std::move(fn));
    // The lock also publishes the event's contents to the receiver. Not
    // deleted under it: a dropped call releases its waiter, taking the lock.
    if (isCancelled()) {
        delete event;
        return false;
    }
    QCoreApplication::postEvent(receiver_, event);
    return true;
}

bool UiThreadCall::waitUntilDone(const std::function<bool()>& isDone)
{
    if (onContextThread()) {
        // Only this thread's own events can complete the call.
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(core_->mutex);
                if (isDone())
                    return true;
                if (core_->cancelled)
                    return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
    }
    std::unique_lock<std::mutex> lock(core_->mutex);
    core_->changed.wait(lock, [&] { return isDone() || core_->cancelled; });
    return isDone();
}
