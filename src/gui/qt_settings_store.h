// The program's settings through QSettings: organisation "Quillon", application the executable's
// base name, values grouped by section. On Linux that is the per-user INI file
// $XDG_CONFIG_HOME/Quillon/<application>.conf, the same file and layout IniSettingsStore reads,
// so the desktop program and the console converter share their remembered folders.
#pragma once

#include "platform/settings_store.h"

#include <QSettings>
#include <QString>

namespace sonarel {

class QSettingsStore : public SettingsStore {
public:
    QSettingsStore(const QString& organisation, const QString& application);

    int ReadInt(const std::string& section, const std::string& name, int fallback) override;
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) override;
    bool WriteInt(const std::string& section, const std::string& name, int value) override;
    bool WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override;

private:
    bool Store(const std::string& section, const std::string& name, const QVariant& value);

    QSettings settings_;
};

} // namespace sonarel
