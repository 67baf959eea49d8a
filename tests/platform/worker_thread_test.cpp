// The worker thread: idle until released once, waited for with a timeout, joined when
// destroyed.
#include "platform/worker_thread.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>

namespace sonarel {
namespace {

TEST(WorkerThreadTest, RunsOnceAfterStartAndIsWaitedForOrJoined) {
    std::atomic<int> runs{0};
    std::promise<void> release;
    {
        WorkerThread thread([&] {
            ++runs;
            release.get_future().wait();
        });
        EXPECT_EQ(thread.Wait(kWaitForever), WaitResult::kTimeout); // never started: no hang
        EXPECT_EQ(runs, 0);
        EXPECT_EQ(thread.Start(), 1);
        EXPECT_EQ(thread.Start(), 0);
        EXPECT_EQ(thread.Wait(5), WaitResult::kTimeout);
        release.set_value();
        EXPECT_EQ(thread.Wait(kWaitForever), WaitResult::kSignalled);
        EXPECT_EQ(thread.Start(), 0);
    }
    EXPECT_EQ(runs, 1);
    std::atomic<bool> finished{false};
    {
        WorkerThread joined([&] { finished = true; });
        joined.Start();
        WorkerThread idle([] {});
    }
    EXPECT_TRUE(finished);
}

} // namespace
} // namespace sonarel
