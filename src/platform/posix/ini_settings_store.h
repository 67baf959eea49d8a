// Settings in a per-user INI file, in the layout Qt's QSettings uses on Linux:
// $XDG_CONFIG_HOME/<company>/<application>.conf (default ~/.config/...), one [section] per
// group, "name=value" lines. The file is read on every query, so the console sees the latest
// values the desktop program stored there (through QSettings). The console keeps nothing, so
// this store writes nothing: a write reports that nothing was stored.
#pragma once

#include "platform/settings_store.h"

#include <filesystem>
#include <string>
#include <vector>

namespace sonarel {

class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(std::filesystem::path file);

    // The file QSettings would use for this company and application name; empty when neither
    // XDG_CONFIG_HOME (absolute) nor HOME is set.
    static std::filesystem::path UserFile(const std::string& company,
                                          const std::string& application);

    const std::filesystem::path& File() const { return file_; }

    int ReadInt(const std::string& section, const std::string& name, int fallback) override;
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) override;
    bool WriteInt(const std::string&, const std::string&, int) override { return false; }
    bool WriteString(const std::string&, const std::string&, const std::string&) override {
        return false;
    }

private:
    std::vector<std::string> LoadLines() const;
    // Raw text after '=' of the named entry, or false when there is none.
    bool FindRaw(const std::string& section, const std::string& name, std::string& raw) const;

    std::filesystem::path file_;
};

} // namespace sonarel
