// Several inputs chosen at once (dropped together, or selected together in Open): the first is
// probed and shown as a single input is; the others wait, and once Decode has converted the
// first, each is probed and converted in turn into the same output folder. A cancel, or a new
// choice of inputs, ends the queue; during a conversion only the first of several is taken.
#include "app/control_ids.h"
#include "app/decoder_dialog.h"
#include "app/dialog_texts.h"
#include "app/output_name.h"
#include "app/text_format.h"

namespace sonarel {

void DecoderDialog::AcceptInputs(const std::vector<std::string>& names, bool assignAfterProbe) {
    const std::string first = names.front();
    if (!ProbeInput(first)) {
        return;
    }
    if (assignAfterProbe) {
        options_.inputPath.Assign(first);
    }
    // During a conversion only the next input is chosen, as by a single name.
    const size_t queued = IsDecoding() ? 0 : names.size() - 1;
    queued_.assign(names.begin() + 1, names.begin() + 1 + static_cast<long>(queued));
    queue_place_ = 1;
    queue_total_ = static_cast<int>(queued + 1);
    ProposeOutputName();
    ShowQueue();
}

void DecoderDialog::ShowQueue() {
    if (queue_total_ > 1 && !IsDecoding()) {
        view_.SetProgressText(FormatText(text::kQueued, queue_total_));
    }
}

// At the end of each conversion: the next input is taken once the end has been handled,
// unless the conversion was cancelled or the dialog closes.
void DecoderDialog::ContinueQueue(bool stopped) {
    if (stopped) {
        queued_.clear();
    }
    if (queued_.empty()) {
        queue_total_ = 0;
        return;
    }
    view_.GetMessageTarget()->Post(kMsgCommand, kCommandDecodeNext, 0);
}

// An input that the probe refuses (its message shown) or whose start fails is passed over.
void DecoderDialog::DecodeNextQueued() {
    while (!queued_.empty() && !IsDecoding()) {
        const std::string next = queued_.front();
        queued_.pop_front();
        ++queue_place_;
        const PathName folder(options_.outputPath.GetDriveAndFolder());
        if (!ProbeInput(next)) {
            continue;
        }
        options_.outputPath = ProposedOutputName(folder, options_.inputPath);
        Display();
        OnDecode();
    }
    if (!IsDecoding()) {
        queue_total_ = 0;
    }
}

} // namespace sonarel
