// Helpers of the decoder tests: run a whole stream through Mp3Decoder the way the
// decoding stage does, and compare PCM with a reference.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "mp3/decoder_options.h"
#include "mp3/mp3_decoder.h"
#include "mp3/mp3_status.h"

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
// once per round into a buffer of `capacity` bytes, and stops when a call produced
// nothing and the decoder reports the end.
DecodedStream DecodeStream(mp3::Mp3Decoder& decoder, const std::vector<uint8_t>& stream,
                           const ChunkSizer& next_chunk, int capacity = 4608);

DecodedStream DecodeStream(const std::vector<uint8_t>& stream,
                           const mp3::DecoderOptions& options = {}, int chunk = 2048);

// One granule of spectral lines, uniformly random in [-amplitude, amplitude].
std::vector<float> RandomGranule(unsigned seed, float amplitude = 1000.0f);

std::vector<uint8_t> LoadFile(const std::filesystem::path& path);

std::vector<int16_t> AsSamples(const std::vector<uint8_t>& pcm);

struct PcmComparison {
    size_t compared = 0; // samples compared (the reference's length)
    int max_diff = 0;
    size_t over_one = 0; // samples that differ by more than 1
    double psnr_db = 0;  // infinity when identical
    bool decoded_too_short = false;
};

// Compares over the reference's length, from the first sample.
PcmComparison ComparePcm(const std::vector<int16_t>& decoded,
                         const std::vector<int16_t>& reference);

std::string StatusName(mp3::Mp3Status status);

} // namespace sonarel::test
