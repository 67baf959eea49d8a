// Tags that follow the audio at the end of a file: ID3v1 (with an enhanced "TAG+" block),
// APEv2, Lyrics3 v2 and an appended ID3v2 tag with its footer. Their bytes are not
// audio, and a picture in them may hold frame-sync patterns, so readers end the payload
// where they begin.
#pragma once

#include <cstdint>
#include <cstdio>

namespace sonarel {

// The offset in [begin, end] where the run of trailing tags before `end` starts (`end`
// when the file ends with audio). The tags may come in any order and number.
uint64_t TrailingTagsStart(std::FILE* file, uint64_t begin, uint64_t end);

} // namespace sonarel
