#include "app/output_plan.h"

#include <algorithm>

namespace sonarel {

OutputPlan PlanOutput(const StreamProbe& probe, bool gapless) {
    const StreamSurvey& survey = probe.survey;
    const mp3::EncoderInfo& info = survey.encoder_info;
    OutputPlan plan;
    if (probe.whole) {
        plan.samples = survey.MainSamples();
        plan.exact = true;
    } else if (info.frame_count > 0 && survey.Frames() <= info.frame_count) {
        // (More frames in the probed part alone: files joined one after another, whose first
        // information frame tells only the first file's length.)
        const uint64_t perFrame = survey.MainRate() >= 32000 ? 1152 : 576;
        plan.samples = uint64_t{info.frame_count} * perFrame;
        plan.exact = true;
    }
    if (!gapless || !info.has_gapless) {
        return plan;
    }
    plan.skip = static_cast<uint64_t>(info.encoder_delay) + OutputPlan::kDecoderDelay;
    if (plan.exact) {
        // The original ends `padding` samples before the end of the decoded stream, shifted
        // by the decoder's delay.
        const uint64_t decoded = plan.samples;
        const uint64_t padding = static_cast<uint64_t>(info.encoder_padding);
        const uint64_t shifted = decoded + OutputPlan::kDecoderDelay;
        const uint64_t end = std::min(decoded, shifted > padding ? shifted - padding : 0);
        plan.keep = end > plan.skip ? end - plan.skip : 0;
        plan.samples = plan.keep;
    }
    return plan;
}

} // namespace sonarel
