// The console's settings: it reads the saved folders, but keeps nothing. It has no window
// whose position the dialog could store on its way out, and no file dialog that picks a
// folder, so a write could only put a made-up window position into the file.
#pragma once

#include "platform/settings_store.h"

namespace sonarel::cli {

class ReadOnlySettings : public SettingsStore {
public:
    explicit ReadOnlySettings(SettingsStore& stored) : stored_(stored) {}

    int ReadInt(const std::string& section, const std::string& name, int fallback) override {
        return stored_.ReadInt(section, name, fallback);
    }
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) override {
        return stored_.ReadString(section, name, fallback);
    }
    bool WriteInt(const std::string&, const std::string&, int) override { return false; }
    bool WriteString(const std::string&, const std::string&, const std::string&) override {
        return false;
    }

private:
    SettingsStore& stored_;
};

} // namespace sonarel::cli
