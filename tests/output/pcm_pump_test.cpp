// The PCM pump: its thread's messages and results, what it opens and closes, the blocks it
// hands a real WAVE writer and the pieces it hands a recording player.
#include "output/pcm_pump.h"
#include "platform/message_queue.h"
#include "support/limited_writer.h"
#include "support/test_paths.h"
#include "support/wave_file.h"

#include <atomic>
#include <deque>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace sonarel {
namespace {

using Log = std::vector<std::string>;

// Each Read delivers the next step's count of bytes (at most the space given; 0: nothing;
// -1: the end); a step of kChange reports a format change, after which the source prefers
// chunks of 2304 bytes. Without steps left it ends, or, when endless, fills every read.
constexpr int kChange = -2;

struct ScriptedSource : ByteSource {
    explicit ScriptedSource(std::deque<int> script) : steps(std::move(script)) {}
    void Close() override { open = false; }
    int Open() override {
        open = open_result == 0;
        return open_result;
    }
    int IsOpen() const override { return open; }
    int Read(uint8_t* buffer, int32_t length, int* format_changed) override {
        ++reads;
        int step = endless ? length : -1;
        if (!steps.empty()) {
            step = steps.front();
            steps.pop_front();
        }
        if (step == kChange) {
            *format_changed = 1;
            chunk = 2304;
            return 0;
        }
        const int n = std::min(step, length);
        for (int i = 0; i < n; ++i) {
            buffer[i] = static_cast<uint8_t>(delivered++);
        }
        return n;
    }
    int GetBufferSize() const override { return chunk; }
    const WaveFormatHolder* GetFormat() const override { return &format; }
    bool HasFailed() const override { return failed; }

    std::deque<int> steps;
    bool endless = false, open = true, failed = false;
    int open_result = 0, chunk = 4608;
    std::atomic<int> reads{0};
    std::atomic<int64_t> delivered{0};
    PcmFormat format{44100, 2, 16};
};

// Logs what the pump does with it; its buffers hold `buffer` bytes (0: the size asked for).
struct RecordingPlayer : PcmPlayer {
    int Open(const WaveFormatHolder*, int32_t size) override {
        log.push_back("open " + std::to_string(size));
        open = true;
        buffer = buffer > 0 ? buffer : size;
        return 0;
    }
    void Close() override {
        log.push_back("close");
        open = false;
    }
    int Write(const uint8_t* data, int32_t length) override {
        if (busy > 0) {
            --busy; // no free buffer this time
            return 0;
        }
        log.push_back(std::to_string(length));
        bytes.insert(bytes.end(), data, data + length);
        return length;
    }
    void Flush() override { log.push_back("flush"); }
    bool IsOpen() const override { return open; }
    bool IsPaused() const override { return false; }
    void TogglePause() override {}
    int32_t GetBufferSize() const override { return buffer; }

    Log log;
    std::vector<uint8_t> bytes;
    bool open = false;
    int32_t buffer = 0;
    int busy = 0; // writes that find no free buffer
};

class PcmPumpTest : public ::testing::Test {
protected:
    PcmPumpTest() { writer.SetFormat(&cd); }
    struct Message {
        MessageId id;
        WParam wparam;
        LParam lparam;
    };

    // Runs a pump over the source to its end; returns the result its stop message carried.
    WParam Run(ByteSource* source, PcmPlayer* player = nullptr, uint32_t interval = kWaitForever) {
        messages.clear();
        PcmPump pump(source, player, &writer);
        pump.SetNotifier(&window, kCookie, interval);
        EXPECT_EQ(pump.Start(), 1);
        while (Count(stop) == 0) {
            window.WaitAndDispatch(kWaitForever);
        }
        EXPECT_EQ(pump.Stop(kWaitForever), WaitResult::kSignalled);
        window.DispatchPending();
        EXPECT_EQ(std::pair(Count(start), Count(stop)), std::pair(1, 1));
        return messages.back().wparam;
    }
    int Count(MessageId id) const {
        return int(
            std::count_if(messages.begin(), messages.end(), [id](auto& m) { return m.id == id; }));
    }
    // The closed file holds exactly what the source delivered.
    void ExpectFileHolds(const ScriptedSource& source) {
        const test::WaveFile wave = test::ReadWaveFile(dir / "out.wav");
        EXPECT_EQ(test::WaveInconsistency(wave), "");
        ASSERT_EQ(wave.data.size(), size_t(source.delivered.load()));
        for (size_t i = 0; i < wave.data.size(); ++i) {
            ASSERT_EQ(wave.data[i], uint8_t(i)) << i;
        }
    }

    static constexpr uint32_t kCookie = 0x5A17;
    const MessageId start = RegisterMessage(kMsgPcmPumpThreadStart);
    const MessageId progress = RegisterMessage(kMsgPcmPumpThreadProgress);
    const MessageId stop = RegisterMessage(kMsgPcmPumpThreadStop);
    test::ScratchDir dir;
    test::LimitedWriter writer{(dir / "out.wav").string()};
    const PcmFormat cd{44100, 2, 16};
    std::vector<Message> messages;
    MessageQueue window{[this](MessageId id, WParam w, LParam l) {
        messages.push_back({id, w, l});
        return intptr_t{0};
    }};
};

// The chunks go to the writer gathered into blocks of whole chunks up to 64 KiB; a pump
// closes what it opened, so the file is complete.
TEST_F(PcmPumpTest, WritesTheSourceInBlocksAndClosesWhatItOpened) {
    ScriptedSource source(std::deque<int>(30, 4608));
    source.steps.push_back(1000);
    source.open = false;
    EXPECT_EQ(Run(&source), PcmPump::kResultDone);
    ASSERT_EQ(messages.size(), 2u); // no progress within the interval
    EXPECT_EQ(messages[0].wparam, 0u);
    EXPECT_EQ(messages[0].lparam, LParam{kCookie});
    EXPECT_EQ(messages[1].lparam, LParam{kCookie});
    EXPECT_EQ(writer.writes, (std::vector<int32_t>{14 * 4608, 14 * 4608, 2 * 4608 + 1000}));
    EXPECT_FALSE(source.open || writer.IsOpen());
    ExpectFileHolds(source);
}

// Reads that deliver nothing are repeated at once and report no progress; with a zero
// interval every chunk is followed by one. Outputs opened by their owner stay open.
TEST_F(PcmPumpTest, EmptyReadsAreRepeatedAndProgressFollowsChunks) {
    ScriptedSource source({0, 1000, 0, 0, 1000, 1000});
    ASSERT_EQ(writer.Open(), 0);
    EXPECT_EQ(Run(&source, nullptr, 0), PcmPump::kResultDone);
    EXPECT_EQ(Count(progress), 3);
    EXPECT_EQ(source.reads.load(), 7);
    EXPECT_TRUE(source.open && writer.IsOpen());
    writer.Close();
    ExpectFileHolds(source);
}

// A failure is never reported as success; what came before it is kept; a source that is
// missing or cannot be opened touches no output.
TEST_F(PcmPumpTest, FailuresAreReported) {
    RecordingPlayer player;
    EXPECT_EQ(Run(nullptr, &player), PcmPump::kResultNoSource);
    ScriptedSource unopened({100});
    unopened.open = false;
    unopened.open_result = 5;
    EXPECT_EQ(Run(&unopened, &player), PcmPump::kResultOpenFailed);
    EXPECT_EQ(unopened.reads.load(), 0);
    EXPECT_TRUE(player.log.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
    ScriptedSource failing({1000, 1000});
    failing.failed = true; // consulted only when the source stops delivering
    EXPECT_EQ(Run(&failing), PcmPump::kResultReadError);
    ExpectFileHolds(failing);
    ScriptedSource source(std::deque<int>(100, 4608));
    writer.disk.capacity = 100000;
    EXPECT_EQ(Run(&source), PcmPump::kResultWriteError);
    EXPECT_EQ(source.reads.load(), 28); // ended by the second block
    ScriptedSource short_source({1000, 1000});
    writer.disk.capacity = 1500;
    EXPECT_EQ(Run(&short_source), PcmPump::kResultWriteError); // the last block counts too
}

// Stop ends an endless source after the pass under way; a player opened by its owner is
// played but neither drained nor closed.
TEST_F(PcmPumpTest, StopEndsTheLoopAndPostsTheStopMessageFirst) {
    ScriptedSource source({});
    source.endless = true;
    RecordingPlayer player;
    player.open = true;
    player.buffer = 4608;
    PcmPump pump(&source, &player, &writer);
    pump.SetNotifier(&window, kCookie, kWaitForever);
    EXPECT_EQ(pump.Start(), 1);
    while (source.reads.load() < 20) {
        std::this_thread::yield();
    }
    EXPECT_EQ(pump.Stop(kWaitForever), WaitResult::kSignalled);
    EXPECT_EQ(pump.Start(), 0);            // a pump runs once
    EXPECT_FALSE(pump.SetSource(nullptr)); // and its parts are fixed once it started
    EXPECT_FALSE(pump.SetSink(nullptr));
    const int reads = source.reads.load();
    window.DispatchPending();
    EXPECT_EQ(Count(stop), 1);
    EXPECT_EQ(messages.back().wparam, PcmPump::kResultDone);
    EXPECT_EQ(source.reads.load(), reads);
    EXPECT_EQ(player.log, Log(size_t(reads), "4608"));
    EXPECT_EQ(int64_t(player.bytes.size()), source.delivered.load());
    ExpectFileHolds(source);
}

// Each chunk goes to the player in pieces of its buffer size; a format change drains and
// reopens it; the end drains and closes it. (Pausing: no program pauses a player.)
TEST_F(PcmPumpTest, PlayerGetsPiecesAndIsReopenedOnAFormatChange) {
    ScriptedSource source({2500, 2500, kChange, 2304});
    RecordingPlayer player;
    player.buffer = 1000;
    player.busy = 2; // the pump asks again
    EXPECT_EQ(Run(&source, &player), PcmPump::kResultDone);
    EXPECT_EQ(player.log, (Log{"open 4608", "1000", "1000", "500", "1000", "1000", "500", "flush",
                               "close", "open 2304", "1000", "1000", "304", "flush", "close"}));
    EXPECT_EQ(writer.writes, (std::vector<int32_t>{5000, 2304}));
    EXPECT_EQ(int64_t(player.bytes.size()), source.delivered.load());
}

} // namespace
} // namespace sonarel
