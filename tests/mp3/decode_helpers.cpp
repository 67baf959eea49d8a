#include "decode_helpers.h"

#include "bench/decode_loop.h"

#include <algorithm>

namespace sonarel::test {

DecodedStream DecodeStream(mp3::Mp3Decoder& decoder, const std::vector<uint8_t>& stream,
                           const ChunkSizer& next_chunk) {
    DecodedStream result;
    // Every call either takes input, gives PCM, or moves toward the end; a generous cap
    // turns a hang into a test failure.
    result.hung = !bench::DecodeInPieces(
        decoder, stream.data(), stream.size(), [&] { return size_t(std::max(next_chunk(), 1)); },
        [&](mp3::Mp3Status status, const uint8_t* pcm, int produced) {
            if (!mp3::ProducedPcm(status)) {
                result.other_statuses.push_back(status);
                return;
            }
            result.frame_statuses.push_back(status);
            result.frame_bytes.push_back(produced);
            result.frame_channels.push_back(decoder.CurrentHeader().channels);
            result.pcm.insert(result.pcm.end(), pcm, pcm + produced);
        },
        16 * stream.size() + 4096);
    return result;
}

DecodedStream DecodeStream(const std::vector<uint8_t>& stream, const mp3::DecoderOptions& options,
                           int chunk) {
    mp3::Mp3Decoder decoder(options);
    return DecodeStream(decoder, stream, [chunk] { return chunk; });
}

std::vector<int16_t> AsSamples(const std::vector<uint8_t>& pcm) {
    std::vector<int16_t> samples(pcm.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8));
    }
    return samples;
}

} // namespace sonarel::test
