// The format probe of an input: the frames the decoder will decode, counted over the
// whole input, and (only when there are none) whether the framer sees MPEG audio at all.
// An input that cannot seek (standard input) is probed on its first kPipeProbeBytes only;
// its reader delivers them again to the conversion.
#pragma once

#include "app/input_file_reader.h"
#include "app/stream_survey.h"
#include "io/pipe_reader.h"

namespace sonarel {

struct StreamProbe {
    StreamSurvey survey;
    bool framed = false; // the framer found frames (of any layer)
    bool whole = true;   // the survey counted the whole input

    bool HasAudio() const { return survey.Frames() > 0; }
};

inline constexpr uint64_t kPipeProbeBytes = ReplayablePipe::kPrefixBytes;

// Reads the open `source` from its start; leaves it positioned anywhere.
StreamProbe ProbeStream(InputFileReader& source);

} // namespace sonarel
