#include "app/stream_probe.h"

#include "io/mp3_framer.h"

namespace sonarel {

StreamProbe ProbeStream(InputFileReader& source) {
    StreamProbe probe;
    const bool pipe = source.IsSeekable() == 0;
    probe.survey = SurveyStream(source, pipe ? kPipeProbeBytes : kWholeStream);
    probe.whole = probe.survey.whole;
    probe.framed = probe.HasAudio();
    if (!probe.framed && source.Seek(0) != 0) {
        Mp3Framer framer(Mp3Framer::kDefaultRingBytes);
        framer.Attach(&source, false);
        probe.framed = framer.Open() == 0;
    }
    return probe;
}

} // namespace sonarel
