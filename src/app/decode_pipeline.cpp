#include "app/decode_pipeline.h"

#include "platform/tick_count.h"

namespace sonarel {

DecodePipeline::DecodePipeline(std::unique_ptr<WaveFileWriter> ownWriter)
    : owned_writer_(std::move(ownWriter)), writer(*owned_writer_) {
}

DecodePipeline::~DecodePipeline() {
    if (activePump) {
        activePump->Stop(kWaitForever);
        activePump.reset();
    }
    writer.Close();
    if (stage.IsOpen() != 0) {
        stage.Close();
    }
    source.Close();
}

} // namespace sonarel
