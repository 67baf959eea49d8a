#include "gui/qt_settings_store.h"

#include "gui/qt_text.h"

namespace sonarel {
namespace {

QString Key(const std::string& section, const std::string& name) {
    return ToQString(section) + QLatin1Char('/') + ToQString(name);
}

} // namespace

QSettingsStore::QSettingsStore(const QString& organisation, const QString& application)
    : settings_(QSettings::NativeFormat, QSettings::UserScope, organisation, application) {
}

int QSettingsStore::ReadInt(const std::string& section, const std::string& name, int fallback) {
    QVariant value = settings_.value(Key(section, name));
    bool ok = false;
    int number = value.toInt(&ok);
    return ok ? number : fallback;
}

std::string QSettingsStore::ReadString(const std::string& section, const std::string& name,
                                       const std::string& fallback) {
    QVariant value = settings_.value(Key(section, name));
    return value.isValid() ? ToStdString(value.toString()) : fallback;
}

bool QSettingsStore::WriteInt(const std::string& section, const std::string& name, int value) {
    return Store(section, name, value);
}

bool QSettingsStore::WriteString(const std::string& section, const std::string& name,
                                 const std::string& value) {
    return Store(section, name, ToQString(value));
}

// Written through at once, so another program (or the next run after a crash) sees the value.
bool QSettingsStore::Store(const std::string& section, const std::string& name,
                           const QVariant& value) {
    settings_.setValue(Key(section, name), value);
    settings_.sync();
    return settings_.status() == QSettings::NoError;
}

} // namespace sonarel
