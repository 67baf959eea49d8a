#include "platform/worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/critical_section_lock.h"
#include "platform/tick_count.h"

namespace sonarel {
namespace {

TEST(WorkerThreadTest, NothingRunsBeforeStart) {
    std::atomic<bool> ran{false};
    WorkerThread thread([&] {
        ran = true;
        return 3u;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(ran.load());
    EXPECT_FALSE(thread.HasStarted());
    // A thread that never started cannot end; waiting does not hang.
    EXPECT_EQ(thread.Wait(kWaitForever), WaitResult::kTimeout);
    EXPECT_EQ(thread.Start(), 1);
    EXPECT_EQ(thread.Wait(kWaitForever), WaitResult::kSignalled);
    EXPECT_TRUE(ran.load());
    EXPECT_TRUE(thread.HasFinished());
    EXPECT_EQ(thread.ExitCode(), 3u);
}

TEST(WorkerThreadTest, SecondStartHasNoEffect) {
    std::atomic<int> runs{0};
    WorkerThread thread([&] {
        ++runs;
        return 0u;
    });
    EXPECT_EQ(thread.Resume(), 1);
    EXPECT_EQ(thread.Start(), 0);
    thread.Wait(kWaitForever);
    EXPECT_EQ(thread.Start(), 0);
    EXPECT_EQ(runs.load(), 1);
}

TEST(WorkerThreadTest, WaitTimesOutWhileTheProcedureRuns) {
    std::atomic<bool> release{false};
    WorkerThread thread([&] {
        while (!release.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return 7u;
    });
    thread.Start();
    EXPECT_EQ(thread.Wait(5), WaitResult::kTimeout);
    EXPECT_FALSE(thread.HasFinished());
    EXPECT_EQ(thread.ExitCode(), 0u);
    release = true;
    EXPECT_EQ(thread.Wait(kWaitForever), WaitResult::kSignalled);
    EXPECT_EQ(thread.ExitCode(), 7u);
}

TEST(WorkerThreadTest, DestructionJoinsARunningThread) {
    std::atomic<bool> finished{false};
    {
        WorkerThread thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            finished = true;
            return 0u;
        });
        thread.Start();
    }
    EXPECT_TRUE(finished.load());
    WorkerThread idle([] { return 0u; }); // destroying an idle thread is fine too
}

TEST(CriticalSectionLockTest, ResultsAreAlwaysOne) {
    CriticalSectionLock lock;
    EXPECT_EQ(lock.Lock(0), 1);
    EXPECT_EQ(lock.Lock(kWaitForever), 1); // the holder may enter again
    EXPECT_EQ(lock.Unlock(), 1);
    EXPECT_EQ(lock.Unlock(), 1);
    int32_t previous = -5;
    EXPECT_EQ(lock.Unlock(3, &previous), 1);
    EXPECT_EQ(previous, -5);
    EXPECT_EQ(lock.Unlock(1, nullptr), 1);
}

TEST(CriticalSectionLockTest, ExcludesOtherThreads) {
    CriticalSectionLock lock;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            CriticalSectionGuard guard(lock);
            long seen = counter;
            counter = seen + 1;
        }
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

TEST(TickCountTest, AdvancesInMilliseconds) {
    uint32_t before = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    uint32_t elapsed = GetTickCount() - before; // wrap-safe difference
    EXPECT_GE(elapsed, 25u);
    EXPECT_LT(elapsed, 60000u);
}

} // namespace
} // namespace sonarel
