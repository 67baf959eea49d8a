#include "app/stream_probe.h"

#include "io/mp3_framer.h"

namespace sonarel {

StreamProbe ProbeStream(InputFileReader& source) {
    StreamProbe probe;
    probe.survey = SurveyStream(source);
    probe.framed = probe.HasAudio();
    if (!probe.framed && source.Seek(0) != 0) {
        Mp3Framer framer(Mp3Framer::kDefaultRingBytes);
        framer.Attach(&source, false);
        probe.framed = framer.Open() == 0;
    }
    return probe;
}

} // namespace sonarel
