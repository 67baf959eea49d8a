// The bridge from the pump's thread to the GUI thread: posted messages arrive in order on the GUI
// thread without holding up the poster; sent messages run on the GUI thread and return its result.
#include "gui/qt_message_target.h"

#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace sonarel::test {
namespace {

TEST(QtMessageTargetTest, PostsArriveInOrderAndSendsReturnTheGuiThreadsResult) {
    std::vector<intptr_t> seen;
    QtMessageTarget target(nullptr);
    EXPECT_EQ(target.Send(1, 2, 3), 0); // no handler: dropped
    EXPECT_TRUE(target.Post(1, 2, 3));
    QCoreApplication::processEvents();
    target.SetHandler([&seen](MessageId id, WParam w, LParam l) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        seen.push_back(id * 10000 + w * 10 + l);
        return seen.back();
    });
    EXPECT_EQ(target.Send(1, 2, 3), 10023);
    // The GUI thread handles nothing while the worker posts, so every Post returns at once; a
    // Send waits for the GUI thread.
    std::atomic<intptr_t> sent{0};
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            EXPECT_TRUE(target.Post(7, static_cast<WParam>(i), i % 10));
        }
        sent = target.Send(9, 0, 0);
    });
    EXPECT_TRUE(QTest::qWaitFor([&sent] { return sent != 0; }, 5000));
    worker.join();
    ASSERT_EQ(seen.size(), 202u);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(seen[i + 1], 70000 + i * 10 + i % 10);
    }
    EXPECT_EQ(sent, 90000);
}

} // namespace
} // namespace sonarel::test
