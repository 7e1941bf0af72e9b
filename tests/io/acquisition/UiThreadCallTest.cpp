// Calls from a worker thread onto the UI thread: results, results delivered
// later, ordering with posted calls, and cancellation, including the shutdown
// case where the UI thread cancels while the worker waits on it.

#include "acquisition/UiThreadCall.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Runs the UI event loop until the condition holds or the deadline passes.
bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class UiThreadCallTest : public ::testing::Test {
protected:
    QObject context_;
    UiThreadCall calls_{&context_};
};

TEST_F(UiThreadCallTest, CallRunsOnTheUiThreadAndReturnsItsResult)
{
    std::atomic<QThread*> ranOn{nullptr};
    std::atomic<int> result{-1};
    std::thread worker([&] {
        result = calls_.call([&] {
            ranOn = QThread::currentThread();
            return 100;
        });
    });
    EXPECT_TRUE(pumpUntil([&] { return result.load() != -1; }));
    worker.join();
    EXPECT_EQ(result.load(), 100);
    EXPECT_EQ(ranOn.load(), QThread::currentThread());
}

TEST_F(UiThreadCallTest, CallWithoutResultReportsThatItRan)
{
    bool ran = false;
    std::atomic<int> outcome{-1};
    std::thread worker([&] { outcome = calls_.call([&] { ran = true; }) ? 1 : 0; });
    EXPECT_TRUE(pumpUntil([&] { return outcome.load() != -1; }));
    worker.join();
    EXPECT_EQ(outcome.load(), 1);
    EXPECT_TRUE(ran);
}

TEST_F(UiThreadCallTest, CallOnTheUiThreadItselfRunsDirectly)
{
    EXPECT_EQ(calls_.call([] { return 7; }), 7);
    bool ran = false;
    EXPECT_TRUE(calls_.call([&] { ran = true; }));
    EXPECT_TRUE(ran);
}

TEST_F(UiThreadCallTest, PostedAndWaitingCallsRunInTheOrderTheyWereMade)
{
    std::vector<int> order;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        calls_.post([&] { order.push_back(1); });
        calls_.post([&] { order.push_back(2); });
        calls_.call([&] { order.push_back(3); });
        calls_.post([&] { order.push_back(4); });
        calls_.call([&] { order.push_back(5); });
        done = true;
    });
    EXPECT_TRUE(pumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(UiThreadCallTest, AwaitReturnsAResultDeliveredLater)
{
    std::optional<Completion<int>> pending;
    std::atomic<int> result{-1};
    std::thread worker([&] { result = calls_.await<int>([&](Completion<int> done) { pending = done; }, -2); });

    ASSERT_TRUE(pumpUntil([&] { return pending.has_value(); }));
    // The box is still "open": the worker keeps waiting through more events.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(result.load(), -1);

    QTimer::singleShot(0, &context_, [&] { (*pending)(42); });
    EXPECT_TRUE(pumpUntil([&] { return result.load() != -1; }));
    worker.join();
    EXPECT_EQ(result.load(), 42);
}

TEST_F(UiThreadCallTest, DroppingTheCompletionUnusedReleasesTheWaiterWithTheFallback)
{
    std::atomic<int> result{-1};
    std::thread worker([&] { result = calls_.await<int>([](Completion<int>) {}, -2); });
    EXPECT_TRUE(pumpUntil([&] { return result.load() != -1; }));
    worker.join();
    EXPECT_EQ(result.load(), -2);
}

TEST(UiThreadCallContext, CallsForADestroyedContextAreDroppedAndTheWaiterReleased)
{
    auto* window = new QObject;
    UiThreadCall calls(window);
    std::atomic<bool> ran{false};
    std::atomic<int> result{-1};
    std::thread worker([&] {
        result = calls.call(
            [&] {
                ran = true;
                return 1;
            },
            -2);
    });
    delete window; // before or after the call was queued
    EXPECT_TRUE(pumpUntil([&] { return result.load() != -1; }));
    worker.join();
    EXPECT_EQ(result.load(), -2);
    EXPECT_FALSE(ran.load());
}

TEST_F(UiThreadCallTest, CancelReleasesAWaitingCallWithTheFallback)
{
    int announced = 0;
    QObject::connect(&calls_, &UiThreadCall::cancelled, &context_, [&] { ++announced; });
    std::atomic<bool> started{false};
    std::atomic<int> result{-1};
    std::optional<Completion<int>> neverCompleted;
    std::thread worker([&] {
        result = calls_.await<int>(
            [&](Completion<int> done) {
                neverCompleted = done;
                started = true;
            },
            0);
    });
    ASSERT_TRUE(pumpUntil([&] { return started.load(); }));

    QElapsedTimer clock;
    clock.start();
    calls_.cancel();
    worker.join();
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(result.load(), 0);
    EXPECT_TRUE(calls_.isCancelled());
    calls_.cancel();
    EXPECT_EQ(announced, 1) << "announced once";
    EXPECT_TRUE(neverCompleted->cancelled()) << "the UI side can see the waiter is gone";
}

TEST_F(UiThreadCallTest, CallsAfterCancelReturnAtOnceAndRunNothing)
{
    calls_.cancel();
    bool ran = false;
    std::atomic<int> result{-1};
    std::atomic<bool> voidRan{true};
    std::thread worker([&] {
        result = calls_.call(
            [&] {
                ran = true;
                return 100;
            },
            0);
        voidRan = calls_.call([&] { ran = true; });
        calls_.post([&] { ran = true; });
    });
    worker.join(); // no event processing needed to get out
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(voidRan.load());
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
    EXPECT_EQ(calls_.call([] { return 5; }, -1), -1) << "also on the UI thread";
}

// The shutdown case: the UI thread is blocked (not processing events) while
// the worker waits on it; cancelling must free the worker, and the call it
// queued must not run later.
TEST_F(UiThreadCallTest, CancelFromABlockedUiThreadFreesTheWorkerAndDropsItsCall)
{
    std::atomic<bool> ranTimerStart{false};
    std::atomic<int> result{-1};
    std::thread worker([&] {
        result = calls_.call(
            [&] {
                ranTimerStart = true;
                return 100;
            },
            0);
    });
    calls_.cancel(); // whether the worker has queued yet or not
    worker.join();
    EXPECT_EQ(result.load(), 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ranTimerStart.load()) << "a timer started for a cancelled waiter would never be stopped";
}

TEST_F(UiThreadCallTest, AwaitOnTheUiThreadItselfRunsEventsUntilTheResultComes)
{
    const int result = calls_.await<int>(
        [&](Completion<int> done) { QTimer::singleShot(10, &context_, [done] { done(9); }); }, -1);
    EXPECT_EQ(result, 9);
}

TEST_F(UiThreadCallTest, CancelFromAnotherThreadEndsAnAwaitOnTheUiThread)
{
    std::thread canceller;
    std::optional<Completion<int>> open; // like a box that stays open
    const int result = calls_.await<int>(
        [&](Completion<int> done) {
            open = done;
            canceller = std::thread([&] { calls_.cancel(); });
        },
        -1);
    canceller.join();
    EXPECT_EQ(result, -1);
}

} // namespace
