// A scripted DialogView for the dialog tests: records what the logic shows and answers its
// questions and file dialogs from scripts.
#pragma once

#include "app/dialog_view.h"
#include "platform/message_queue.h"
#include "platform/settings_store.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace sonarel::test {

class FakeView : public DialogView {
public:
    FakeView() : queue_([this](MessageId id, WParam w, LParam l) { return Deliver(id, w, l); }) {}

    // Where the queued messages go (the dialog's HandleMessage).
    std::function<intptr_t(MessageId, WParam, LParam)> handler;

    // Scripts: answers are taken in order; when none is left, defaultAnswer is used.
    std::deque<bool> answers;
    bool defaultAnswer = false;
    std::deque<std::optional<std::string>> openResults;
    std::deque<std::optional<std::string>> saveResults;

    // Records.
    std::map<int, std::string> texts;
    std::map<int, bool> enabled;
    std::map<int, bool> menuEnabled;
    int focus = 0;
    ProgressSetup progressSetup;
    int progressPosition = -1;
    std::string progressText;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    int beeps = 0;
    int aboutBoxes = 0;
    bool ended = false;
    WindowPosition position{-1, -1};

    void SetControlText(int id, const std::string& text) override { texts[id] = text; }
    std::string GetControlText(int id) const override {
        auto found = texts.find(id);
        return found == texts.end() ? std::string() : found->second;
    }
    void EnableControl(int id, bool on) override { enabled[id] = on; }
    void EnableMenuItem(int id, bool on) override { menuEnabled[id] = on; }
    void SetFocus(int id) override { focus = id; }
    void SetupProgress(const ProgressSetup& setup) override { progressSetup = setup; }
    void SetProgressPosition(int p) override { progressPosition = p; }
    void SetProgressText(const std::string& text) override { progressText = text; }
    std::string GetProgressText() const override { return progressText; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& question) override {
        questions.push_back(question);
        if (answers.empty()) {
            return defaultAnswer;
        }
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> ShowOpenDialog(const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return Take(openResults);
    }
    std::optional<std::string> ShowSaveDialog(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return Take(saveResults);
    }
    void ShowAbout() override { ++aboutBoxes; }
    void Beep() override { ++beeps; }
    void EndDialog(int /*result*/) override { ended = true; }
    WindowPosition GetWindowPosition() const override { return position; }
    void MoveWindow(WindowPosition p) override { position = p; }
    MessageTarget* GetMessageTarget() override { return &queue_; }

    MessageQueue& Queue() { return queue_; }

    // Dispatches messages until done() holds or timeout_ms passed; returns done().
    bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 20000);

private:
    static std::optional<std::string> Take(std::deque<std::optional<std::string>>& script) {
        if (script.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> result = std::move(script.front());
        script.pop_front();
        return result;
    }
    intptr_t Deliver(MessageId id, WParam w, LParam l) { return handler ? handler(id, w, l) : 0; }

    MessageQueue queue_;
};

// Settings in memory.
class MemorySettings : public SettingsStore {
public:
    std::map<std::string, std::string> values; // "section/name" -> text
    int writes = 0;

    int ReadInt(const std::string& section, const std::string& name, int fallback) override {
        auto found = values.find(section + "/" + name);
        return found == values.end() ? fallback : std::stoi(found->second);
    }
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) override {
        auto found = values.find(section + "/" + name);
        return found == values.end() ? fallback : found->second;
    }
    bool WriteInt(const std::string& section, const std::string& name, int value) override {
        return WriteString(section, name, std::to_string(value));
    }
    bool WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override {
        values[section + "/" + name] = value;
        ++writes;
        return true;
    }
};

} // namespace sonarel::test
