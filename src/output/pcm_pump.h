// Moves PCM from a source to a WAVE file writer (and optionally a player) on a worker
// thread, so that the user interface stays responsive during a conversion. The owner
// window learns of the thread's start, its progress (at most once per interval) and
// its end through three registered messages, all posted with lParam = the cookie:
//   msgPcmPumpThreadStart     wParam 0, first thing the thread does;
//   msgPcmPumpThreadProgress  wParam 0, after a chunk went out, at most once per interval;
//   msgPcmPumpThreadStop      wParam = result (below), once, when the thread ends.
//
// Use:
//   1. Make the pump with its source, and a player and a sink as wanted (either may be
//      null); the thread waits, idle.
//   2. SetNotifier(window, cookie, interval) says where the three messages go.
//   3. Start() releases the thread: it opens what is not yet open, then reads the source
//      and hands each chunk to the player and the sink until the source ends or fails.
//   4. The window handles the messages; the stop message's result says how it ended.
//   5. Stop() cancels: the thread writes what it gathered and ends; the destructor stops
//      a thread that still runs. A pump runs once: make a new one for the next conversion.
#pragma once

#include "io/byte_buffer.h"
#include "io/byte_source.h"
#include "output/pcm_player.h"
#include "output/wave_file_writer.h"
#include "platform/critical_section_lock.h"
#include "platform/window_notifier.h"
#include "platform/worker_thread.h"

#include <atomic>
#include <cstdint>

namespace sonarel {

class PcmPump : public WindowNotifier {
public:
    // Results carried in wParam of msgPcmPumpThreadStop.
    static constexpr WParam kResultDone = 0;         // end of the source, or Stop
    static constexpr WParam kResultNoSource = 100;   // no source was set
    static constexpr WParam kResultOpenFailed = 101; // the source could not be opened
    static constexpr WParam kResultReadError = 102;  // the source failed (HasFailed)
    static constexpr WParam kResultWriteError = 103; // the sink could not store a chunk

    // The pointers are not owned. The worker thread is created idle.
    explicit PcmPump(ByteSource* source = nullptr, PcmPlayer* player = nullptr,
                     WaveFileWriter* sink = nullptr);
    // Asks a running thread to stop and waits for it.
    ~PcmPump() override;

    PcmPump(const PcmPump&) = delete;
    PcmPump& operator=(const PcmPump&) = delete;

    // Only before Start: the thread uses them without a lock. Afterwards they refuse (false)
    // and change nothing.
    bool SetSource(ByteSource* source) { return SetBeforeStart(source_, source); }
    bool SetSink(WaveFileWriter* sink) { return SetBeforeStart(sink_, sink); }

    // Sets the running flag, resumes a paused player and releases the idle thread.
    // Returns 1 when the thread was released now, else 0 (a pump runs only once).
    int Start();
    // Clears the running flag and waits up to timeout_ms (kWaitForever: no limit) for
    // the thread to end; the thread notices after its current pass (one source read
    // and one hand-over), and writes what it gathered. kSignalled means the stop message
    // has been posted.
    WaitResult Stop(uint32_t timeout_ms);

    bool IsRunning() const { return running_.load() != 0; }

private:
    template <typename Part> bool SetBeforeStart(Part*& member, Part* value) {
        if (!suspended_) {
            return false;
        }
        member = value;
        return true;
    }
    void ThreadProcedure();
    void OpenOutputs();
    WParam PumpLoop();
    void ReopenPlayer();
    void AllocateBuffers();
    bool WriteBlock();
    void HandToPlayer(const uint8_t* data, int32_t length);
    bool ShouldPlay() const { return playing_ && !player_->IsPaused(); }
    void ReportProgress();
    void CloseOwnOutputs();
    void Finish(WParam result);

    ByteSource* source_;
    PcmPlayer* player_;
    WaveFileWriter* sink_;
    // Taken by the thread around each hand-over to the player and each write to the sink;
    // an owner that must touch either while the thread runs takes it too.
    CriticalSectionLock lock_;
    bool source_opened_ = false;
    bool player_opened_ = false;
    bool sink_opened_ = false;
    bool suspended_ = true;
    bool playing_ = false;
    bool writing_ = false;
    std::atomic<int> running_{0};
    // Owned by the thread procedure while it runs: chunks gathered for the sink.
    ByteBuffer block_;
    int32_t chunk_bytes_ = 0;
    uint32_t last_tick_ = 0;
    // Last member: destroyed (joined) first, while everything it uses still exists.
    WorkerThread thread_;
};

} // namespace sonarel
