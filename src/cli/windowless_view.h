// What the console's views have in common: no window, so control texts are kept in a map,
// focus, menus, the progress bar's setup and the About box do nothing, file dialogs always
// report a cancel, and the dialog's end is noted for the loop that drives it.
#pragma once

#include "app/dialog_view.h"

#include <map>
#include <optional>
#include <string>

namespace sonarel::cli {

class WindowlessView : public DialogView {
public:
    explicit WindowlessView(MessageTarget& target) : target_(target) {}

    void SetControlText(int id, const std::string& text) override { texts_[id] = text; }
    std::string GetControlText(int id) const override {
        auto found = texts_.find(id);
        return found == texts_.end() ? std::string() : found->second;
    }
    void EnableControl(int /*id*/, bool /*enabled*/) override {}
    void EnableMenuItem(int /*id*/, bool /*enabled*/) override {}
    void SetFocus(int /*id*/) override {}

    void SetupProgress(const ProgressSetup& /*setup*/) override {}
    void SetProgressPosition(int /*position*/) override {}
    void SetProgressText(const std::string& text) override { progress_text_ = text; }
    std::string GetProgressText() const override { return progress_text_; }

    std::optional<std::string> ShowOpenDialog(const FileDialogRequest& /*request*/) override {
        return std::nullopt;
    }
    std::optional<std::string> ShowSaveDialog(const FileDialogRequest& /*request*/) override {
        return std::nullopt;
    }
    void ShowAbout() override {}
    void EndDialog(int /*result*/) override { ended_ = true; }
    MessageTarget* GetMessageTarget() override { return &target_; }

    bool Ended() const { return ended_; }
    // True when an existing output was kept because it is not a WAVE file.
    bool OutputRefused() const { return output_refused_; }

protected:
    std::map<int, std::string> texts_;
    bool output_refused_ = false;

private:
    MessageTarget& target_;
    std::string progress_text_;
    bool ended_ = false;
};

} // namespace sonarel::cli
