#include "server/core/WorkerThread.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "server/core/PeriodicTimer.h"
#include "tests/server/core/CoreTestSupport.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::CCapturedLogger;

TEST(WorkerThread, RunsNamedBodyAndLogsStartAndEnd) {
    CCapturedLogger log;
    CWorkerThread worker(log.logger);
    std::atomic<bool> release{false};
    std::string osName;
    ASSERT_EQ(worker.Start("XML Socket Listener",
                           [&] {
                               char name[32] = {};
                               ::pthread_getname_np(::pthread_self(), name, sizeof(name));
                               osName = name;
                               while (!release) std::this_thread::sleep_for(1ms);
                           }),
              0);
    EXPECT_TRUE(worker.IsRunning());
    release = true;
    worker.Stop();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(osName, "XML Socket List");  // the kernel keeps 15 characters
    EXPECT_TRUE(log.sink.Contains("Thread[\"XML Socket Listener\"] has started\r\n"));
    EXPECT_TRUE(log.sink.Contains("Thread[\"XML Socket Listener\"] has ended\r\n"));
    EXPECT_FALSE(log.sink.Contains("did not exit"));
}

TEST(WorkerThread, StartRefusesAnEmptyBodyAndRestartsARunningOne) {
    CCapturedLogger log;
    CWorkerThread worker(log.logger);
    EXPECT_EQ(worker.Start("empty", nullptr), -1);
    std::atomic<int> runs{0};
    for (int i = 0; i < 3; ++i) ASSERT_EQ(worker.Start("again", [&] { ++runs; }), 0);
    worker.Stop();
    EXPECT_EQ(runs, 3);
    worker.Stop();  // a second Stop is harmless
}

TEST(WorkerThread, StopFromItsOwnThreadDoesNotWait) {
    CCapturedLogger log;
    CWorkerThread worker(log.logger);
    std::atomic<bool> done{false};
    const auto start = Clock::now();
    ASSERT_EQ(worker.Start("self stop",
                           [&] {
                               worker.Stop();
                               done = true;
                           }),
              0);
    while (!done) std::this_thread::sleep_for(1ms);
    EXPECT_LT(Clock::now() - start, 4s);
    EXPECT_FALSE(log.sink.Contains("did not exit"));
    EXPECT_TRUE(log.sink.WaitFor("has ended", 5s));
}

TEST(WorkerThread, WarnsWhenTheBodyDoesNotReturnWithinFiveSeconds) {
    // The forgotten thread outlives this test's scope, so what it uses must too.
    static CCapturedLogger log;
    static std::atomic<bool> release{false};
    {
        CWorkerThread worker(log.logger);
        ASSERT_EQ(worker.Start("Stubborn",
                               [] {
                                   while (!release) std::this_thread::sleep_for(5ms);
                               }),
                  0);
        const auto start = Clock::now();
        worker.Stop();
        const auto waited = Clock::now() - start;
        EXPECT_GE(waited, 4900ms);
        EXPECT_LT(waited, 30s);
        EXPECT_EQ(log.sink.Count("WARNING: Thread[\"Stubborn\"] did not exit!\r\n"), 1);
        EXPECT_FALSE(worker.IsRunning());  // forgotten
    }
    release = true;
    EXPECT_TRUE(log.sink.WaitFor("Thread[\"Stubborn\"] has ended", 10s));
    std::this_thread::sleep_for(50ms);  // let the thread finish returning
}

// Fire times measured from Start; the n-th firing may come late but never early.
TEST(PeriodicTimer, Period250FiresEvery300Ms) {
    CCapturedLogger log;
    CPeriodicTimer timer(log.logger);
    std::mutex mutex;
    std::vector<Clock::duration> fires;
    const auto start = Clock::now();
    timer.Init(
        [&] {
            std::lock_guard<std::mutex> lock(mutex);
            fires.push_back(Clock::now() - start);
        },
        250, "Volume Timer");
    ASSERT_EQ(timer.Start(), 0);
    std::this_thread::sleep_for(1050ms);
    timer.Cancel();
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(timer.IsThreadRunning());
    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_GE(fires.size(), 2u);
    ASSERT_LE(fires.size(), 3u);
    for (size_t i = 0; i < fires.size(); ++i) {
        const auto nominal = std::chrono::milliseconds(300 * (i + 1));
        EXPECT_GE(fires[i], nominal) << "firing " << i;
        EXPECT_LT(fires[i], nominal + 250ms) << "firing " << i;
    }
    EXPECT_TRUE(log.sink.Contains("Thread[\"Volume Timer\"] has started"));
}

TEST(PeriodicTimer, CancelInsideTheCallbackEndsTheTimer) {
    CCapturedLogger log;
    CPeriodicTimer timer(log.logger);
    std::atomic<int> calls{0};
    timer.Init(
        [&] {
            ++calls;
            timer.Cancel();
        },
        100);
    ASSERT_EQ(timer.Start(), 0);
    EXPECT_TRUE(log.sink.WaitFor("Thread[\"Timer Thread\"] has ended", 5s));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(timer.IsActive());
    EXPECT_FALSE(timer.IsThreadRunning());
}

TEST(PeriodicTimer, RestartPostponesTheNextFiring) {
    CCapturedLogger log;
    CPeriodicTimer timer(log.logger);
    std::atomic<int> calls{0};
    timer.Init([&] { ++calls; }, 1000);
    ASSERT_EQ(timer.Start(), 0);
    for (int i = 0; i < 12; ++i) {
        std::this_thread::sleep_for(100ms);
        timer.Restart();
    }
    EXPECT_EQ(calls, 0);  // 1.2 s passed, but never 1 s since the last restart
    EXPECT_TRUE(timer.IsActive());
    for (int i = 0; i < 300 && calls == 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(calls, 1);
}

TEST(PeriodicTimer, StartFromTheCallbackLeavesOneThread) {
    CCapturedLogger log;
    CPeriodicTimer timer(log.logger);
    std::atomic<int> calls{0};
    timer.Init(
        [&] {
            if (++calls == 1) timer.Start();
        },
        100);
    ASSERT_EQ(timer.Start(), 0);
    std::this_thread::sleep_for(1000ms);
    timer.Cancel();
    // One thread fires about 9 times in this second; two threads would fire about 18.
    EXPECT_GE(calls, 3);
    EXPECT_LE(calls, 11);
}

}  // namespace
}  // namespace vantor
