#include "platform/posix/ini_settings_store.h"

namespace sonarel {

std::unique_ptr<SettingsStore> OpenUserSettings(const std::string& company,
                                                const std::string& program) {
    return std::make_unique<IniSettingsStore>(IniSettingsStore::UserFile(company, program));
}

} // namespace sonarel
