#include "acquisition/UiThreadCall.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

UiThreadCall::UiThreadCall(QObject* context, QObject* parent)
    : QObject(parent)
    , core_(std::make_shared<uithreadcall_detail::Core>())
    , context_(context)
    , contextThread_(context->thread())
{
}

UiThreadCall::~UiThreadCall()
{
    cancel();
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
    // Not under the core lock: a dropped call releases its waiter from its
    // destructor, which takes that lock.
    if (isCancelled())
        return false;
    return QMetaObject::invokeMethod(context_, std::move(fn), Qt::QueuedConnection);
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
