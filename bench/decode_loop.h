// The way the decoding stage feeds the decoder, for a whole stream held in memory: the stream
// is offered in pieces (the rest of a piece offered again until the decoder takes it),
// DecodeFrame is called once per round, and the rounds end when a call produced nothing and
// the decoder reports the end. sonarel-bench times it; the decoder tests check what it yields.
#pragma once

#include "mp3/mp3_decoder.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace sonarel::bench {

// Bytes of the next piece; asked whenever the previous piece is used up.
using PieceSizer = std::function<size_t()>;
// Sees every DecodeFrame call: its status and the PCM it produced (0 bytes for none).
using CallObserver = std::function<void(mp3::Mp3Status status, const uint8_t* pcm, int bytes)>;

// False when max_rounds rounds did not reach the end (a decoder that hangs).
bool DecodeInPieces(mp3::Mp3Decoder& decoder, const uint8_t* stream, size_t size,
                    const PieceSizer& next_piece, const CallObserver& observe,
                    size_t max_rounds = SIZE_MAX);

} // namespace sonarel::bench
