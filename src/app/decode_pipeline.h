// The objects a conversion runs through, one set for the whole run: the input source, the
// decoding stage, the WAVE writer and, while a decode runs, the pump. Owned by main and lent
// to the dialog, which assembles and releases them for each conversion.
#pragma once

#include "app/decoding_stage.h"
#include "app/input_file_reader.h"
#include "output/pcm_pump.h"
#include "output/wave_file_writer.h"

#include <memory>

namespace sonarel {

struct DecodePipeline {
    DecodePipeline() : DecodePipeline(std::make_unique<WaveFileWriter>()) {}
    // Converts through the given writer, e.g. one that stores less than it is given, so that
    // a full disk can be tested without filling one.
    explicit DecodePipeline(std::unique_ptr<WaveFileWriter> ownWriter);
    // A pump still running is stopped before the objects it uses go away.
    ~DecodePipeline();

    DecodePipeline(const DecodePipeline&) = delete;
    DecodePipeline& operator=(const DecodePipeline&) = delete;

    InputFileReader source;
    DecodingStage stage;

private:
    std::unique_ptr<WaveFileWriter> owned_writer_;

public:
    WaveFileWriter& writer;              // the owned writer, for the whole run
    std::unique_ptr<PcmPump> activePump; // set exactly while a decode runs
};

} // namespace sonarel
