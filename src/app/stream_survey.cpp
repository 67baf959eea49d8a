#include "app/stream_survey.h"

#include "mp3/mp3_decoder.h"

#include <algorithm>
#include <memory>

namespace sonarel {

namespace {

constexpr int kChunkBytes = 65536;

double Seconds(const FormatTally& tally) {
    return static_cast<double>(tally.samples) / tally.sample_rate;
}

void Count(StreamSurvey& survey, const mp3::FrameHeader& header) {
    FormatTally* tally = nullptr;
    for (FormatTally& known : survey.formats) {
        if (known.sample_rate == header.sample_rate && known.channels == header.channels) {
            tally = &known;
        }
    }
    if (tally == nullptr) {
        survey.formats.push_back({header.sample_rate, header.channels, 0, 0, 0});
        tally = &survey.formats.back();
    }
    ++tally->frames;
    tally->samples += static_cast<uint64_t>(header.SamplesPerFrame());
    tally->bytes += static_cast<uint64_t>(header.frame_bits / 8);
}

} // namespace

uint64_t StreamSurvey::Frames() const {
    uint64_t frames = 0;
    for (const FormatTally& tally : formats) {
        frames += tally.frames;
    }
    return frames;
}

int StreamSurvey::MainRate() const {
    int best = 0;
    double best_seconds = 0;
    for (const FormatTally& candidate : formats) {
        double seconds = 0;
        for (const FormatTally& tally : formats) {
            seconds += tally.sample_rate == candidate.sample_rate ? Seconds(tally) : 0;
        }
        if (seconds > best_seconds) {
            best = candidate.sample_rate;
            best_seconds = seconds;
        }
    }
    return best;
}

int StreamSurvey::MainChannels() const {
    const int rate = MainRate();
    const FormatTally* best = nullptr;
    for (const FormatTally& tally : formats) {
        if (tally.sample_rate == rate && (best == nullptr || tally.samples > best->samples)) {
            best = &tally;
        }
    }
    return best != nullptr ? best->channels : 0;
}

uint64_t StreamSurvey::MainSamples() const {
    const int rate = MainRate();
    uint64_t samples = 0;
    for (const FormatTally& tally : formats) {
        samples += tally.sample_rate == rate ? tally.samples : 0;
    }
    return samples;
}

uint32_t StreamSurvey::MainKbps() const {
    const int rate = MainRate();
    uint64_t bytes = 0;
    double seconds = 0;
    for (const FormatTally& tally : formats) {
        if (tally.sample_rate == rate) {
            bytes += tally.bytes;
            seconds += Seconds(tally);
        }
    }
    return seconds > 0 ? static_cast<uint32_t>(bytes * 8 / seconds / 1000 + 0.5) : 0;
}

StreamSurvey SurveyStream(ByteSource& source, uint64_t max_bytes) {
    StreamSurvey survey;
    uint64_t read = 0;
    auto decoder = std::make_unique<mp3::Mp3Decoder>();
    auto chunk = std::make_unique<uint8_t[]>(kChunkBytes);
    int pending = 0;
    int offset = 0;
    for (;;) {
        if (pending == 0 && survey.whole) {
            const uint64_t wanted = std::min<uint64_t>(kChunkBytes, max_bytes - read);
            pending = wanted > 0 ? source.Read(chunk.get(), static_cast<int>(wanted), nullptr) : 0;
            read += pending > 0 ? static_cast<uint64_t>(pending) : 0;
            offset = 0;
            survey.whole = wanted > 0 || pending > 0;
            if (pending <= 0) {
                decoder->SetEndOfInput();
            }
        }
        if (pending > 0) {
            const int taken = decoder->Feed(chunk.get() + offset, pending);
            pending -= taken;
            offset += taken;
        }
        const mp3::Mp3Status status = decoder->SkipFrame();
        if (status == mp3::MP3_OK) {
            Count(survey, decoder->CurrentHeader());
        } else if (status == mp3::MP3_W_END) {
            break;
        }
    }
    survey.encoder_info = decoder->GetEncoderInfo();
    return survey;
}

} // namespace sonarel
