// Settings in a per-user INI file, in the layout Qt's QSettings uses on Linux:
// $XDG_CONFIG_HOME/<company>/<application>.conf (default ~/.config/...), one [section] per
// group, "name=value" lines. The console only reads it (the desktop program writes it through
// QSettings), so writes keep the store's default: they fail and change nothing. The file is
// read on every query, so a value the desktop program saved meanwhile is seen at once.
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

    int ReadInt(const std::string& section, const std::string& name, int fallback) override;
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) override;

private:
    std::vector<std::string> LoadLines() const;
    // Raw text after '=' of the named entry, or false when there is none.
    bool FindRaw(const std::string& section, const std::string& name, std::string& raw) const;

    std::filesystem::path file_;
};

} // namespace sonarel
