#include "decode_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "mp3/layer3_types.h"
#include "support/test_paths.h"

namespace sonarel::test {

DecodedStream DecodeStream(mp3::Mp3Decoder& decoder, const std::vector<uint8_t>& stream,
                           const ChunkSizer& next_chunk, int capacity) {
    DecodedStream result;
    std::vector<uint8_t> out(static_cast<size_t>(std::max(capacity, 1)));
    size_t read_pos = 0;
    size_t chunk_end = 0;
    size_t offset = 0;
    // Every call either takes input, gives PCM, or moves toward the end; a generous cap
    // turns a hang into a test failure.
    const size_t max_calls = 16 * stream.size() + 4096;
    for (size_t calls = 0; calls < max_calls; ++calls) {
        if (offset == chunk_end) {
            const size_t size = static_cast<size_t>(std::max(next_chunk(), 1));
            offset = read_pos;
            chunk_end = std::min(stream.size(), read_pos + size);
            read_pos = chunk_end;
            if (offset == chunk_end) {
                decoder.SetEndOfInput();
            }
        }
        if (offset < chunk_end) {
            offset += static_cast<size_t>(
                decoder.Feed(stream.data() + offset, static_cast<int>(chunk_end - offset)));
        }
        int produced = 0;
        const mp3::Mp3Status status = decoder.DecodeFrame(out.data(), capacity, &produced);
        if (mp3::ProducedPcm(status)) {
            result.frame_statuses.push_back(status);
            result.frame_bytes.push_back(produced);
            result.frame_channels.push_back(decoder.CurrentHeader().channels);
            result.pcm.insert(result.pcm.end(), out.begin(), out.begin() + produced);
        } else {
            result.other_statuses.push_back(status);
            if (decoder.IsFinished()) {
                return result;
            }
        }
    }
    result.hung = true;
    return result;
}

DecodedStream DecodeStream(const std::vector<uint8_t>& stream, const mp3::DecoderOptions& options,
                           int chunk) {
    mp3::Mp3Decoder decoder(options);
    return DecodeStream(decoder, stream, [chunk] { return chunk; });
}

std::vector<float> RandomGranule(unsigned seed, float amplitude) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<float> xr(mp3::kGranuleLines);
    for (float& v : xr) {
        v = dist(rng);
    }
    return xr;
}

std::vector<uint8_t> LoadFile(const std::filesystem::path& path) {
    const std::vector<unsigned char> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

std::vector<int16_t> AsSamples(const std::vector<uint8_t>& pcm) {
    std::vector<int16_t> samples(pcm.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8));
    }
    return samples;
}

PcmComparison ComparePcm(const std::vector<int16_t>& decoded,
                         const std::vector<int16_t>& reference) {
    PcmComparison result;
    result.compared = reference.size();
    result.decoded_too_short = decoded.size() < reference.size();
    const size_t n = std::min(decoded.size(), reference.size());
    double squares = 0;
    for (size_t i = 0; i < n; ++i) {
        const int diff = std::abs(int{decoded[i]} - int{reference[i]});
        result.max_diff = std::max(result.max_diff, diff);
        result.over_one += diff > 1 ? 1 : 0;
        squares += double(diff) * diff;
    }
    const double mse = n == 0 ? 0 : squares / double(n);
    result.psnr_db = mse == 0 ? std::numeric_limits<double>::infinity()
                              : 10.0 * std::log10(32767.0 * 32767.0 / mse);
    return result;
}

std::string StatusName(mp3::Mp3Status status) {
    switch (status) {
    case mp3::MP3_OK:
        return "MP3_OK";
    case mp3::MP3_I_CRC_CONCEALED:
        return "MP3_I_CRC_CONCEALED";
    case mp3::MP3_I_RESERVOIR_CONCEALED:
        return "MP3_I_RESERVOIR_CONCEALED";
    case mp3::MP3_W_SEARCHING:
        return "MP3_W_SEARCHING";
    case mp3::MP3_W_SYNC_LOST:
        return "MP3_W_SYNC_LOST";
    case mp3::MP3_W_NEED_MORE:
        return "MP3_W_NEED_MORE";
    case mp3::MP3_W_END:
        return "MP3_W_END";
    case mp3::MP3_E_NOT_LAYER3:
        return "MP3_E_NOT_LAYER3";
    case mp3::MP3_E_OUTPUT_TOO_SMALL:
        return "MP3_E_OUTPUT_TOO_SMALL";
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08X", status);
        return text;
    }
    }
}

} // namespace sonarel::test
