// The PCM pump: its thread's messages, results and end, the hand-over to a WAVE
// writer and to a player, with scripted sources, a real writer and a recording player.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "output/pcm_pump.h"
#include "platform/message_queue.h"
#include "platform/registered_message.h"
#include "support/test_paths.h"

namespace sonarel {
namespace {

using Bytes = std::vector<uint8_t>;

// What the source does on one Read: > 0 delivers that many bytes (at most the space
// given), 0 delivers nothing, < 0 ends. `changed` reports a format change with 0.
struct Step {
    int result;
    bool changed = false;
};

class ScriptedSource : public ByteSource {
public:
    explicit ScriptedSource(std::deque<Step> steps, bool endless = false)
        : steps_(std::move(steps)), endless_(endless) {}

    void Close() override { open_ = false; }
    int Open() override {
        open_ = open_result_ == 0;
        return open_result_;
    }
    int IsOpen() const override { return open_ ? 1 : 0; }
    int Read(uint8_t* buffer, int32_t length, int* format_changed) override {
        ++reads_;
        if (delay_ms_ > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms_));
        }
        if (steps_.empty()) {
            return endless_ ? Fill(buffer, length) : -1;
        }
        const Step step = steps_.front();
        steps_.pop_front();
        if (step.changed && format_changed != nullptr) {
            *format_changed = 1;
            buffer_size_ = changed_buffer_size_;
        }
        return step.result > 0 ? Fill(buffer, std::min(step.result, length)) : step.result;
    }
    int GetBufferSize() const override { return buffer_size_; }
    const WaveFormatHolder* GetFormat() const override { return &format_; }
    bool HasFailed() const override { return failed_; }

    int Fill(uint8_t* buffer, int32_t n) {
        for (int32_t i = 0; i < n; ++i) {
            buffer[i] = static_cast<uint8_t>(next_byte_++);
        }
        delivered_ += n;
        return n;
    }

    std::deque<Step> steps_;
    bool endless_;
    bool open_ = true;
    int open_result_ = 0;
    int buffer_size_ = 4608;
    int changed_buffer_size_ = 4608;
    int delay_ms_ = 0;
    bool failed_ = false;
    uint32_t next_byte_ = 0;
    std::atomic<int> reads_{0};
    std::atomic<int64_t> delivered_{0};
    PcmFormat format_{44100, 2, 16};
};

// A real WAVE writer in a scratch folder; it can be made to find the disk full.
class TestWriter : public WaveFileWriter {
public:
    explicit TestWriter(const std::filesystem::path& path) : WaveFileWriter(path.string()) {
        const PcmFormat format(44100, 2, 16);
        SetFormat(&format);
    }
    // After this call the disk takes `bytes` more bytes and is then full.
    void FillDiskAfter(int64_t bytes) { room_ = bytes; }

protected:
    int64_t WriteRaw(const uint8_t* data, size_t size) override {
        if (room_ < 0) {
            return WaveFileWriter::WriteRaw(data, size);
        }
        const auto n = std::min<int64_t>(room_, static_cast<int64_t>(size));
        const int64_t stored = n > 0 ? WaveFileWriter::WriteRaw(data, static_cast<size_t>(n)) : 0;
        room_ -= std::max<int64_t>(stored, 0);
        return stored;
    }

private:
    int64_t room_ = -1;
};

// Records what the pump does with its player.
class RecordingPlayer : public PcmPlayer {
public:
    int Open(const WaveFormatHolder* format, int32_t buffer_size) override {
        log.push_back("open " + std::to_string(format != nullptr ? format->Header().channels : 0) +
                      "ch " + std::to_string(buffer_size));
        open_ = true;
        buffer_size_ = device_buffer > 0 ? device_buffer : buffer_size;
        return 0;
    }
    void Close() override {
        log.push_back("close");
        open_ = false;
    }
    int Write(const uint8_t* data, int32_t length) override {
        log.push_back("write " + std::to_string(length));
        bytes.insert(bytes.end(), data, data + length);
        return length;
    }
    void Flush() override { log.push_back("flush"); }
    bool IsOpen() const override { return open_; }
    bool IsPaused() const override { return paused_; }
    void TogglePause() override {
        log.push_back("toggle");
        paused_ = !paused_;
    }
    int32_t GetBufferSize() const override { return buffer_size_; }

    std::vector<std::string> log;
    Bytes bytes;
    bool open_ = false;
    bool paused_ = false;
    int32_t buffer_size_ = 0;
    int32_t device_buffer = 0; // the size the device picks at Open; 0: the size asked for
};

struct Message {
    MessageId id;
    WParam wparam;
    LParam lparam;
};

// The owner window: collects the pump's messages on the test thread.
class Window {
public:
    Window()
        : queue_([this](MessageId id, WParam w, LParam l) {
              messages.push_back({id, w, l});
              return intptr_t{0};
          }) {}

    // Dispatches until the stop message arrived (or 10 s passed).
    bool WaitForStop() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            queue_.WaitAndDispatch(50);
            if (!messages.empty() && messages.back().id == stop) {
                return true;
            }
        }
        return false;
    }
    int Count(MessageId id) const {
        int n = 0;
        for (const Message& m : messages) {
            n += m.id == id ? 1 : 0;
        }
        return n;
    }
    MessageTarget* Target() { return &queue_; }
    void DispatchPending() { queue_.DispatchPending(); }

    const MessageId start = RegisterMessage(kMsgPcmPumpThreadStart);
    const MessageId progress = RegisterMessage(kMsgPcmPumpThreadProgress);
    const MessageId stop = RegisterMessage(kMsgPcmPumpThreadStop);
    std::vector<Message> messages;

private:
    MessageQueue queue_;
};

std::deque<Step> Chunks(int count, int bytes) {
    return std::deque<Step>(count, Step{bytes});
}

class PcmPumpTest : public ::testing::Test {
protected:
    // Runs a pump over source to its end; returns the result of its stop message.
    WParam Run(ByteSource* source, PcmPlayer* player = nullptr, uint32_t interval = 500) {
        PcmPump pump(source, player, &writer);
        pump.SetNotifier(window.Target(), kCookie, interval);
        EXPECT_EQ(pump.Start(), 1);
        EXPECT_TRUE(window.WaitForStop());
        EXPECT_EQ(pump.Stop(kWaitForever), WaitResult::kSignalled);
        return window.messages.empty() ? 999 : window.messages.back().wparam;
    }
    bool OpenWriter() { return writer.Open() == 0; }

    static constexpr uint32_t kCookie = 0x5A17;
    test::ScratchDir dir;
    TestWriter writer{dir / "out.wav"};
    Window window;
};

TEST_F(PcmPumpTest, ShortConversionPostsStartAndStopWithTheCookieAndNoProgress) {
    ScriptedSource source(Chunks(3, 4608));
    ASSERT_TRUE(OpenWriter());
    EXPECT_EQ(Run(&source), PcmPump::kResultDone);
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].id, window.start);
    EXPECT_EQ(window.messages[0].wparam, 0u);
    EXPECT_EQ(window.messages[0].lparam, static_cast<LParam>(kCookie));
    EXPECT_EQ(window.messages[1].id, window.stop);
    EXPECT_EQ(window.messages[1].lparam, static_cast<LParam>(kCookie));
    EXPECT_EQ(writer.DataBytes(), 3u * 4608);
    // The pump opened neither the source nor the writer, so it closed neither.
    EXPECT_EQ(source.IsOpen(), 1);
    EXPECT_TRUE(writer.IsOpen());
}

TEST_F(PcmPumpTest, ProgressFollowsEveryChunkWithAZeroInterval) {
    std::deque<Step> steps = {{0}, {1000}, {0}, {0}, {1000}, {1000}};
    ScriptedSource source(steps);
    ASSERT_TRUE(OpenWriter());
    EXPECT_EQ(Run(&source, nullptr, 0), PcmPump::kResultDone);
    // Passes that delivered nothing report no progress.
    EXPECT_EQ(window.Count(window.progress), 3);
    EXPECT_EQ(window.messages.front().id, window.start);
    EXPECT_EQ(window.messages.back().id, window.stop);
}

TEST_F(PcmPumpTest, ProgressIsPostedAtMostOncePerInterval) {
    ScriptedSource source(Chunks(40, 1000));
    source.delay_ms_ = 5;
    ASSERT_TRUE(OpenWriter());
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(&source, nullptr, 50), PcmPump::kResultDone);
    const auto elapsed_ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - begin)
                                .count();
    const int progress = window.Count(window.progress);
    EXPECT_GE(progress, 1);
    EXPECT_LE(progress, elapsed_ms / 50 + 1);
    EXPECT_LT(progress, 40);
}

TEST_F(PcmPumpTest, SourceEndingAtOnceWritesNothing) {
    ScriptedSource source(std::deque<Step>{{-1}});
    ASSERT_TRUE(OpenWriter());
    EXPECT_EQ(Run(&source), PcmPump::kResultDone);
    EXPECT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(writer.DataBytes(), 0u);
    EXPECT_EQ(source.reads_.load(), 1);
}

TEST_F(PcmPumpTest, SourceReturningNothingIsPolledAgain) {
    std::deque<Step> steps(50, Step{0});
    steps.push_back({700});
    ScriptedSource source(steps);
    ASSERT_TRUE(OpenWriter());
    EXPECT_EQ(Run(&source), PcmPump::kResultDone);
    EXPECT_EQ(source.reads_.load(), 52);
    EXPECT_EQ(writer.DataBytes(), 700u);
}

TEST_F(PcmPumpTest, MissingOrUnopenableSourceIsReportedAndTouchesNoOutput) {
    EXPECT_EQ(Run(nullptr), PcmPump::kResultNoSource);
    EXPECT_EQ(window.messages.front().id, window.start);
    window.messages.clear();

    ScriptedSource source(Chunks(3, 100));
    source.open_ = false;
    source.open_result_ = 5;
    EXPECT_EQ(Run(&source), PcmPump::kResultOpenFailed);
    EXPECT_EQ(window.messages.size(), 2u);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
    EXPECT_EQ(source.reads_.load(), 0);
}

TEST_F(PcmPumpTest, ReadFailureIsNotReportedAsSuccess) {
    ScriptedSource source(Chunks(2, 1000));
    source.failed_ = true; // consulted only when the source stops delivering
    ASSERT_TRUE(OpenWriter());
    EXPECT_EQ(Run(&source), PcmPump::kResultReadError);
    EXPECT_EQ(writer.DataBytes(), 2000u); // what came before the failure is kept
}

TEST_F(PcmPumpTest, WriteFailureEndsTheLoopAndIsReported) {
    ScriptedSource source(Chunks(100, 1000));
    ASSERT_TRUE(OpenWriter());
    writer.FillDiskAfter(2500);
    EXPECT_EQ(Run(&source), PcmPump::kResultWriteError);
    EXPECT_LT(source.reads_.load(), 100); // ended by the write, not by the source
    EXPECT_EQ(writer.DataBytes(), 2500u);
}

TEST_F(PcmPumpTest, OpensAndClosesOnlyWhatItOpened) {
    ScriptedSource source(Chunks(2, 500));
    source.open_ = false;
    EXPECT_EQ(Run(&source), PcmPump::kResultDone);
    EXPECT_EQ(source.IsOpen(), 0);
    EXPECT_FALSE(writer.IsOpen());
    // The writer it opened was closed, so the file is complete.
    const Bytes file = test::ReadFileBytes(dir / "out.wav");
    ASSERT_EQ(file.size(), 56u + 1000u);
    EXPECT_EQ(file[52] | file[53] << 8, 1000);
}

TEST_F(PcmPumpTest, StopReturnsAfterTheStopMessageWasPosted) {
    ScriptedSource source(std::deque<Step>{}, true);
    source.delay_ms_ = 1;
    ASSERT_TRUE(OpenWriter());
    PcmPump pump(&source, nullptr, &writer);
    pump.SetNotifier(window.Target(), kCookie, 500);
    pump.Start();
    while (source.reads_.load() < 5) {
        std::this_thread::yield();
    }
    EXPECT_EQ(pump.Stop(kWaitForever), WaitResult::kSignalled);
    EXPECT_FALSE(pump.IsRunning());
    const int reads = source.reads_.load();
    window.DispatchPending();
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(window.messages.back().id, window.stop);
    EXPECT_EQ(window.messages.back().wparam, PcmPump::kResultDone);
    EXPECT_EQ(window.Count(window.stop), 1);
    EXPECT_EQ(source.reads_.load(), reads);
    EXPECT_EQ(static_cast<int64_t>(writer.DataBytes()), source.delivered_.load());
}

TEST_F(PcmPumpTest, StartRunsTheThreadOnlyOnce) {
    ScriptedSource source(Chunks(1, 10));
    ASSERT_TRUE(OpenWriter());
    PcmPump pump(&source, nullptr, &writer);
    pump.SetNotifier(window.Target(), kCookie, 500);
    EXPECT_EQ(pump.Start(), 1);
    ASSERT_TRUE(window.WaitForStop());
    pump.Stop(kWaitForever);
    EXPECT_EQ(pump.Start(), 0);
    EXPECT_EQ(pump.Stop(kWaitForever), WaitResult::kSignalled);
    window.DispatchPending();
    EXPECT_EQ(window.Count(window.start), 1);
    EXPECT_EQ(writer.DataBytes(), 10u);
}

TEST_F(PcmPumpTest, PlayerGetsEachChunkInPiecesAndIsDrainedAtTheEnd) {
    ScriptedSource source(Chunks(2, 2500));
    source.buffer_size_ = 2500;
    RecordingPlayer player;
    player.device_buffer = 1000;
    ASSERT_TRUE(OpenWriter());
    EXPECT_EQ(Run(&source, &player), PcmPump::kResultDone);
    const std::vector<std::string> expected = {"open 2ch 2500", "write 1000", "write 1000",
                                               "write 500",     "write 1000", "write 1000",
                                               "write 500",     "flush",      "close"};
    EXPECT_EQ(player.log, expected);
    EXPECT_EQ(player.bytes.size(), 5000u);
    EXPECT_EQ(writer.DataBytes(), 5000u);
}

TEST_F(PcmPumpTest, FormatChangeReopensThePlayerOnTheNewFormat) {
    ScriptedSource source(std::deque<Step>{{4608}, {0, true}, {2304}});
    source.changed_buffer_size_ = 2304;
    RecordingPlayer player;
    EXPECT_EQ(Run(&source, &player), PcmPump::kResultDone);
    const std::vector<std::string> expected = {"open 2ch 4608", "write 4608", "flush", "close",
                                               "open 2ch 2304", "write 2304", "flush", "close"};
    EXPECT_EQ(player.log, expected);
}

TEST_F(PcmPumpTest, StoppedPumpDoesNotDrainThePlayer) {
    ScriptedSource source(std::deque<Step>{}, true);
    source.delay_ms_ = 1;
    RecordingPlayer player;
    player.open_ = true; // opened by its owner: the pump plays but does not close it
    player.buffer_size_ = 4608;
    PcmPump pump(&source, &player, nullptr);
    pump.Start();
    while (source.reads_.load() < 3) {
        std::this_thread::yield();
    }
    pump.Stop(kWaitForever);
    ASSERT_FALSE(player.log.empty());
    EXPECT_EQ(player.log.front(), "write 4608");
    EXPECT_EQ(std::count(player.log.begin(), player.log.end(), "flush"), 0);
    EXPECT_EQ(std::count(player.log.begin(), player.log.end(), "close"), 0);
    EXPECT_TRUE(player.IsOpen());
}

TEST_F(PcmPumpTest, StartResumesAPausedPlayer) {
    ScriptedSource source(Chunks(1, 100));
    RecordingPlayer player;
    player.open_ = true;
    player.buffer_size_ = 4608;
    player.paused_ = true;
    EXPECT_EQ(Run(&source, &player), PcmPump::kResultDone);
    const std::vector<std::string> expected = {"toggle", "write 100", "flush"};
    EXPECT_EQ(player.log, expected);
}

TEST_F(PcmPumpTest, PausedPlayerIsHandedNothing) {
    // A player that comes out of Open paused: the chunks go only to the file.
    class PausedOnOpen : public RecordingPlayer {
    public:
        int Open(const WaveFormatHolder* format, int32_t size) override {
            paused_ = true;
            return RecordingPlayer::Open(format, size);
        }
    } player;
    ScriptedSource source(Chunks(3, 100));
    ASSERT_TRUE(OpenWriter());
    EXPECT_EQ(Run(&source, &player), PcmPump::kResultDone);
    const std::vector<std::string> expected = {"open 2ch 4608", "flush", "close"};
    EXPECT_EQ(player.log, expected);
    EXPECT_EQ(writer.DataBytes(), 300u);
}

} // namespace
} // namespace sonarel
