#include "cli/batch_job_view.h"

#include "app/control_ids.h"
#include "cli/interrupt_flag.h"
#include "cli/output_file.h"

namespace sonarel::cli {

void BatchJobView::Note(const std::string& text) {
    if (!notes_.empty()) {
        notes_ += ' ';
    }
    notes_ += text;
}

void BatchJobView::ShowReason(const std::string& reason) {
    Note(std::string("(") + reason + ")");
}

void BatchJobView::ShowMessage(const std::string& text) {
    Note(text);
}

bool BatchJobView::AskYesNo(const std::string& question) {
    const std::string output = GetControlText(kOutputEdit);
    if (RefusesToReplace(question, output)) {
        Note(NotWaveMessage(output));
        output_refused_ = true;
        return false;
    }
    const bool yes = assume_yes_ && !InterruptPending();
    Note(question + (yes ? " Yes" : " No"));
    return yes;
}

} // namespace sonarel::cli
