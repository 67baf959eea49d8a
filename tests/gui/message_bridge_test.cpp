// The bridge from the pump's thread to the GUI thread: posted messages arrive in order on the GUI
// thread without holding up the poster; sent messages run on the GUI thread and return its result.
#include "gui/qt_message_target.h"

#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace sonarel::test {
namespace {

struct Delivery {
    MessageId id;
    WParam wparam;
    LParam lparam;
    QThread* thread;
};

TEST(QtMessageTargetTest, PostsFromAWorkerArriveInOrderOnTheGuiThread) {
    std::vector<Delivery> seen;
    QtMessageTarget target([&seen](MessageId id, WParam w, LParam l) {
        seen.push_back({id, w, l, QThread::currentThread()});
        return intptr_t{0};
    });
    constexpr int kCount = 200;
    std::atomic<int> accepted{0};
    // The GUI thread handles nothing while the worker posts, so every Post must return without
    // waiting for the handler.
    std::thread worker([&] {
        for (int i = 0; i < kCount; ++i) {
            accepted += target.Post(0xC001, static_cast<WParam>(i), -i) ? 1 : 0;
        }
    });
    worker.join();
    EXPECT_EQ(accepted.load(), kCount);
    EXPECT_TRUE(seen.empty());

    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == kCount; }, 5000));
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(seen[i].id, 0xC001u);
        EXPECT_EQ(seen[i].wparam, static_cast<WParam>(i));
        EXPECT_EQ(seen[i].lparam, -i);
        EXPECT_EQ(seen[i].thread, QThread::currentThread());
    }
}

TEST(QtMessageTargetTest, SendFromAWorkerWaitsForTheGuiThreadsResult) {
    QThread* handledOn = nullptr;
    QtMessageTarget target([&handledOn](MessageId id, WParam w, LParam l) {
        handledOn = QThread::currentThread();
        return static_cast<intptr_t>(id + w + l);
    });
    std::atomic<bool> done{false};
    intptr_t result = 0;
    std::thread worker([&] {
        result = target.Send(100, 20, 3);
        done = true;
    });
    // The worker stays blocked until the GUI thread processes events.
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
    worker.join();
    EXPECT_EQ(result, 123);
    EXPECT_EQ(handledOn, QThread::currentThread());
}

TEST(QtMessageTargetTest, SendOnTheGuiThreadCallsTheHandlerAtOnce) {
    int calls = 0;
    QtMessageTarget target([&calls](MessageId, WParam w, LParam) {
        ++calls;
        return static_cast<intptr_t>(w * 2);
    });
    EXPECT_EQ(target.Send(1, 21, 0), 42);
    EXPECT_EQ(calls, 1);
}

TEST(QtMessageTargetTest, MessagesWithoutAHandlerAreDropped) {
    QtMessageTarget target(nullptr);
    EXPECT_EQ(target.Send(1, 2, 3), 0);
    EXPECT_TRUE(target.Post(1, 2, 3));
    QCoreApplication::processEvents(); // must not crash
    int calls = 0;
    target.SetHandler([&calls](MessageId, WParam, LParam) { return intptr_t{++calls}; });
    EXPECT_TRUE(target.Post(1, 2, 3));
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 5000));
}

} // namespace
} // namespace sonarel::test
