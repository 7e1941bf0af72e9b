#pragma once

#include <QObject>

class QThread;

#include <concepts>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

namespace uithreadcall_detail {

// What a waiting thread and the UI side share. Held by shared pointers, so a
// call that completes after its waiter has given up touches nothing freed.
struct Core {
    std::mutex mutex;
    std::condition_variable changed;
    bool cancelled = false;
};

struct NoValue {};

template <class R>
struct Outcome {
    explicit Outcome(R fallbackValue) : value(std::move(fallbackValue)) {}
    R value;
    bool done = false;
};

// One call's completion right. When the last copy goes away without a result
// (the posted call was dropped, the box was destroyed unfinished), the call is
// finished with the fallback, so no waiter hangs on a lost call.
template <class R>
class Token {
public:
    Token(std::shared_ptr<Core> core, std::shared_ptr<Outcome<R>> outcome)
        : core_(std::move(core)), outcome_(std::move(outcome)) {}
    Token(const Token&) = delete;
    Token& operator=(const Token&) = delete;
    ~Token() { finish(nullptr); }

    void finish(R* value)
    {
        {
            std::lock_guard<std::mutex> lock(core_->mutex);
            if (outcome_->done)
                return;
            if (value)
                outcome_->value = std::move(*value);
            outcome_->done = true;
        }
        core_->changed.notify_all();
    }

    bool cancelled() const
    {
        std::lock_guard<std::mutex> lock(core_->mutex);
        return core_->cancelled;
    }

private:
    std::shared_ptr<Core> core_;
    std::shared_ptr<Outcome<R>> outcome_;
};

} // namespace uithreadcall_detail

// Handed to the UI side of an awaited call; calling it (once, on any thread)
// releases the waiter with the result. Copyable; later calls are ignored.
template <class R>
class Completion {
public:
    explicit Completion(std::shared_ptr<uithreadcall_detail::Token<R>> token) : token_(std::move(token)) {}
    void operator()(R value) const { token_->finish(&value); }
    bool cancelled() const { return token_->cancelled(); }

private:
    std::shared_ptr<uithreadcall_detail::Token<R>> token_;
};

template <>
class Completion<void> {
public:
    explicit Completion(std::shared_ptr<uithreadcall_detail::Token<uithreadcall_detail::NoValue>> token)
        : token_(std::move(token)) {}
    void operator()() const
    {
        uithreadcall_detail::NoValue none;
        token_->finish(&none);
    }
    bool cancelled() const { return token_->cancelled(); }

private:
    std::shared_ptr<uithreadcall_detail::Token<uithreadcall_detail::NoValue>> token_;
};

// Runs functions on the thread of a context object (the UI thread) for another
// thread, which may wait for the result. A result may also arrive later, e.g.
// when a message box is closed. After cancel() every wait in progress and every
// later call returns at once with its fallback, and nothing more is run on the
// UI thread; this is what lets the UI thread stop a worker that is waiting on it.
// Queued calls for a context that has been destroyed are dropped.
class UiThreadCall : public QObject {
    Q_OBJECT
public:
    explicit UiThreadCall(QObject* context, QObject* parent = nullptr);
    ~UiThreadCall() override; // cancels

    // Runs fn on the UI thread and returns its result, or `fallback` when
    // cancelled first. Called on the UI thread itself, fn runs directly.
    template <class Fn>
        requires(!std::is_void_v<std::invoke_result_t<Fn&>>)
    std::invoke_result_t<Fn&> call(Fn fn, std::invoke_result_t<Fn&> fallback = {})
    {
        using R = std::invoke_result_t<Fn&>;
        return await<R>([fn = std::move(fn)](Completion<R> done) mutable { done(fn()); }, std::move(fallback));
    }

    // As above for a function without result; true when it has run.
    template <class Fn>
        requires std::is_void_v<std::invoke_result_t<Fn&>>
    bool call(Fn fn)
    {
        return await([fn = std::move(fn)](Completion<void> done) mutable {
            fn();
            done();
        });
    }

    // Runs start(done) on the UI thread and waits until done(result) is
    // called, possibly much later. Returns `fallback` when cancelled first or
    // when every copy of `done` is dropped unused.
    template <class R, class Start>
    R await(Start start, R fallback = {})
    {
        auto outcome = std::make_shared<uithreadcall_detail::Outcome<R>>(fallback);
        if (!dispatch<R>(std::move(start), outcome))
            return fallback;
        if (!waitUntilDone([&] { return outcome->done; }))
            return fallback;
        return outcome->value;
    }

    // As above for a call without result; true when done() was called.
    template <class Start>
    bool await(Start start)
    {
        using uithreadcall_detail::NoValue;
        auto outcome = std::make_shared<uithreadcall_detail::Outcome<NoValue>>(NoValue{});
        if (!dispatch<NoValue>(std::move(start), outcome))
            return false;
        return waitUntilDone([&] { return outcome->done; });
    }

    // Runs fn on the UI thread without waiting; it keeps its place in the
    // order of the calls made from this thread. Dropped once cancelled.
    void post(std::function<void()> fn);

    // Thread-safe and final.
    void cancel();
    bool isCancelled() const;

signals:
    // Emitted once, from the cancelling thread: the UI side may close what
    // it still shows for a waiter (a message box, say).
    void cancelled();

private:
    bool onContextThread() const;
    // Queues fn to the context thread unless cancelled; false when not queued.
    bool enqueue(std::function<void()> fn);
    // Waits (processing events when on the context thread) until isDone() or
    // cancellation; true when done.
    bool waitUntilDone(const std::function<bool()>& isDone);

    // Queues start(done) with a fresh completion right for `outcome`.
    template <class V, class Start>
    bool dispatch(Start start, const std::shared_ptr<uithreadcall_detail::Outcome<V>>& outcome)
    {
        using Done = std::conditional_t<std::is_same_v<V, uithreadcall_detail::NoValue>, Completion<void>, Completion<V>>;
        Done done(std::make_shared<uithreadcall_detail::Token<V>>(core_, outcome));
        return run([core = core_, start = std::move(start), done]() mutable {
            if (!coreCancelled(*core))
                start(done);
        });
    }

    // Directly on the context thread, queued from any other.
    bool run(std::function<void()> fn);
    static bool coreCancelled(uithreadcall_detail::Core& core);

    std::shared_ptr<uithreadcall_detail::Core> core_;
    QThread* contextThread_;
    QObject* receiver_; // lives on the context thread and runs the queued calls
};
