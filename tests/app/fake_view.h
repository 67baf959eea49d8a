// A scripted DialogView for the dialog tests: records what the logic shows and answers its
// questions and Save As dialogs from scripts.
#pragma once

#include "app/dialog_view.h"
#include "platform/message_queue.h"
#include "platform/settings_store.h"

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sonarel::test {

class FakeView : public DialogView {
public:
    FakeView() : queue_([this](MessageId id, WParam w, LParam l) { return Deliver(id, w, l); }) {}

    // Where the queued messages go (the dialog's HandleMessage).
    std::function<intptr_t(MessageId, WParam, LParam)> handler;

    // Scripts: answers are taken in order; when none is left, defaultAnswer is used. Save As
    // takes the names in order; when none is left, it is cancelled.
    std::deque<bool> answers;
    bool defaultAnswer = false;
    std::deque<std::string> saveResults;

    // Records.
    std::map<int, std::string> texts;
    std::map<int, bool> enabled;
    int progressPosition = -1;
    std::string progressText;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    int beeps = 0;
    bool ended = false;

    void SetControlText(int id, const std::string& text) override { texts[id] = text; }
    std::string GetControlText(int id) const override {
        auto found = texts.find(id);
        return found == texts.end() ? std::string() : found->second;
    }
    void EnableControl(int id, bool on) override { enabled[id] = on; }
    void EnableMenuItem(int /*id*/, bool /*on*/) override {}
    void SetFocus(int /*id*/) override {}
    void SetupProgress(const ProgressSetup& /*setup*/) override {}
    void SetProgressPosition(int p) override { progressPosition = p; }
    void SetProgressText(const std::string& text) override { progressText = text; }
    std::string GetProgressText() const override { return progressText; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& question) override {
        questions.push_back(question);
        const bool answer = answers.empty() ? defaultAnswer : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }
    std::optional<std::string> ShowOpenDialog(const FileDialogRequest& /*request*/) override {
        return std::nullopt;
    }
    std::optional<std::string> ShowSaveDialog(const FileDialogRequest& /*request*/) override {
        if (saveResults.empty()) {
            return std::nullopt;
        }
        std::string chosen = saveResults.front();
        saveResults.pop_front();
        return chosen;
    }
    void ShowAbout() override {}
    void Beep() override { ++beeps; }
    void EndDialog(int /*result*/) override { ended = true; }
    WindowPosition GetWindowPosition() const override { return {}; }
    void MoveWindow(WindowPosition /*p*/) override {}
    MessageTarget* GetMessageTarget() override { return &queue_; }

    // Dispatches messages until done() holds or timeout_ms passed; returns done().
    bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 20000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            queue_.WaitAndDispatch(20);
        }
        return done();
    }

private:
    intptr_t Deliver(MessageId id, WParam w, LParam l) { return handler ? handler(id, w, l) : 0; }

    MessageQueue queue_;
};

} // namespace sonarel::test
