// Finds MPEG audio frames in the bytes of an inner source and delivers them whole.
// While doing so it derives the stream's average bitrate, sampling rate and channel
// count and builds an MPEG Layer-3 wave format record from them: the format probe of
// an input file.
#pragma once

#include "io/byte_buffer.h"
#include "io/filter_stream.h"
#include "io/mp3_framer_results.h"
#include "io/mpeg_header.h"
#include "io/sync_bit_reader.h"
#include "io/wave_format.h"
#include "platform/window_notifier.h"

#include <array>
#include <cstdint>
#include <memory>

namespace sonarel {

// When a window is set, msgMp3FramerStatusChange (wParam = cookie, lParam = the framer)
// is sent at the end of a successful Open and posted when Read meets a format change.
class Mp3Framer : public FilterStream, public WindowNotifier {
public:
    static constexpr uint32_t kDefaultRingBytes = 4096;
    static constexpr int32_t kFrameBufferBytes = 32768;

    // ring_bytes: size of the bit reader's ring; it must hold a whole frame, the
    // next header and the refill slack (2048 + 5 + 64 bytes).
    explicit Mp3Framer(uint32_t ring_bytes = kDefaultRingBytes);
    // Closes; deletes an inner source attached as owned.
    ~Mp3Framer() override;

    // Also makes the inner source the bit reader's source.
    void Attach(ByteSource* inner, bool owned) override;

    // Locks onto the stream and reads frames until the average bitrate is known (four
    // frames of a constant-bitrate stream), then builds the format record. 0, or one
    // of the kFramer* results; a failure closes the framer again. The frames read stay
    // buffered and are delivered first by Read.
    int Open() override;
    void Close() override;
    int IsOpen() const override { return open_ ? 1 : 0; }

    // Copies up to length bytes of whole frames. Returns the count, or -1 when no
    // further frame can be found. A format change (average bitrate, rate or channels)
    // is reported, when format_changed is given, by a result of 0 with the flag set
    // and the format record rebuilt; the frame that carried the change is dropped.
    // Bytes of the old format copied earlier in the same call are returned first and
    // the change is reported by the next call.
    int Read(uint8_t* buffer, int32_t length, int* format_changed) override;

    // QueryCapability and GetBufferSize are forwarded by FilterStream.
    int IsSeekable() const override;
    int Seek(int32_t position) override;
    int IsPcm() const override { return 0; }
    // The MPEG Layer-3 record, or null while none could be built.
    const WaveFormatHolder* GetFormat() const override;

    // Average of the last four frame bitrates in kbit/s; 0 while not known.
    uint16_t AverageBitrate() const;

private:
    // How the framer stands to the stream's frames.
    enum Sync {
        kSyncInitial,   // nothing read yet: the first header must be confirmed by the next
        kSyncLocked,    // a frame was confirmed: each usable header is taken as it comes
        kSyncSearching, // bytes were skipped: a header counts only once the next confirms it
    };

    int FindSync(MpegHeader& header, uint64_t& position);
    int AcceptHeader(const MpegHeader& header, uint32_t word);
    int ReadFrame();
    int FetchFrame();
    void RecordBitrate(uint16_t kbps);
    void UpdateFormatChange();
    void BuildFormat();
    int ReportFormatChange(int* format_changed);
    int32_t TakeBuffered(uint8_t* dest, int32_t wanted);
    void SendStatus();
    void PostStatus();

    Sync sync_state_ = kSyncInitial;
    std::array<uint16_t, 4> history_{};
    uint16_t history_index_ = 0;
    uint16_t last_average_ = 0;
    uint16_t last_rate_ = 0;
    uint16_t last_channels_ = 0;
    std::unique_ptr<SyncBitReader> reader_;
    Mp3WaveFormat format_;
    bool open_ = false;
    bool change_pending_ = false; // a change met after bytes went out in the same Read
    FrameInfo frame_;
    ByteBuffer buffer_;
};

} // namespace sonarel
