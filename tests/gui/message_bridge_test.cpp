// The bridge from the pump's thread to the GUI thread: posted messages arrive in order on the GUI
// thread without holding up the poster. (Sends: no program sends across threads.)
#include "gui/qt_message_target.h"

#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

namespace sonarel::test {
namespace {

TEST(QtMessageTargetTest, PostsArriveInOrderOnTheGuiThread) {
    std::vector<intptr_t> seen;
    QtMessageTarget target(nullptr);
    EXPECT_TRUE(target.Post(1, 2, 3)); // no handler: dropped
    QCoreApplication::processEvents();
    target.SetHandler([&seen](MessageId id, WParam w, LParam l) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        seen.push_back(id * 10000 + w * 10 + l);
        return seen.back();
    });
    // The GUI thread handles nothing while the worker posts, so every Post returns at once.
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            EXPECT_TRUE(target.Post(7, static_cast<WParam>(i), i % 10));
        }
    });
    worker.join();
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(QTest::qWaitFor([&seen] { return seen.size() == 200; }, 5000));
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(seen[i], 70000 + i * 10 + i % 10);
    }
}

} // namespace
} // namespace sonarel::test
