// Values the program keeps between runs: integers and strings under a section.
#pragma once

#include <memory>
#include <string>

namespace sonarel {

// The defaults keep nothing: every read gives its fallback and every write fails.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual int ReadInt(const std::string& /*section*/, const std::string& /*name*/, int fallback) {
        return fallback;
    }
    virtual std::string ReadString(const std::string& /*section*/, const std::string& /*name*/,
                                   const std::string& fallback) {
        return fallback;
    }
    // Writes report false when the value could not be stored; the program carries on.
    virtual bool WriteInt(const std::string& /*section*/, const std::string& /*name*/,
                          int /*value*/) {
        return false;
    }
    virtual bool WriteString(const std::string& /*section*/, const std::string& /*name*/,
                             const std::string& /*value*/) {
        return false;
    }
};

// The user's own settings of a program, kept by the host's rules: an INI file under
// ~/.config/<company>/ on Linux, the registry key Software\<company>\<program> on Windows.
std::unique_ptr<SettingsStore> OpenUserSettings(const std::string& company,
                                                const std::string& program);

// The section and value names the main dialog uses.
namespace settings {
inline constexpr const char* kSection = "Settings";
inline constexpr const char* kWinPosX = "WinPosX";
inline constexpr const char* kWinPosY = "WinPosY";
inline constexpr const char* kDefaultOpenDir = "DefaultOpenDir";
inline constexpr const char* kDefaultSaveAsDir = "DefaultSaveAsDir";
inline constexpr int kDefaultWinPos = 300;
inline constexpr const char* kCompany = "Quillon";
} // namespace settings

} // namespace sonarel
