// Helpers of the decoder tests: run a whole stream through Mp3Decoder the way the
// decoding stage does, and read its PCM as samples.
#pragma once

#include "mp3/decoder_options.h"
#include "mp3/mp3_decoder.h"
#include "mp3/mp3_status.h"
#include "support/test_paths.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sonarel::test {

struct DecodedStream {
    std::vector<uint8_t> pcm;
    std::vector<mp3::Mp3Status> frame_statuses; // status of every call that produced PCM
    std::vector<int> frame_bytes;               // PCM bytes of those calls
    std::vector<int> frame_channels;            // channels of those frames in the stream
    std::vector<mp3::Mp3Status> other_statuses; // statuses of the calls without PCM
    bool hung = false;                          // gave up: too many calls without progress
};

// Bytes of the next piece of input to read; called whenever the previous piece is used up.
using ChunkSizer = std::function<int()>;

// Feeds the stream in pieces (each piece offered again until taken), calls DecodeFrame
// once per round, and stops when a call produced nothing and the decoder reports the end.
DecodedStream DecodeStream(mp3::Mp3Decoder& decoder, const std::vector<uint8_t>& stream,
                           const ChunkSizer& next_chunk);

DecodedStream DecodeStream(const std::vector<uint8_t>& stream,
                           const mp3::DecoderOptions& options = {}, int chunk = 2048);

// A file of tests/fixtures/mp3.
inline std::vector<uint8_t> LoadFixture(const std::string& name) {
    return ReadFileBytes(FixturesDir() / "mp3" / name);
}

std::vector<int16_t> AsSamples(const std::vector<uint8_t>& pcm);

} // namespace sonarel::test
