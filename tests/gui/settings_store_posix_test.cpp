// Settings through QSettings: fallbacks, and the very file the console converter's INI store
// reads.
#include "gui/qt_settings_store.h"
#include "platform/posix/ini_settings_store.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

TEST(QSettingsStoreTest, WritesTheFileTheIniStoreReads) {
    QSettings(QStringLiteral("Quillon"), QStringLiteral("settings-test")).clear();
    QSettingsStore qt(QStringLiteral("Quillon"), QStringLiteral("settings-test"));
    EXPECT_EQ(qt.ReadString("Settings", "DefaultOpenDir", "x"), "x");
    EXPECT_TRUE(qt.WriteInt("Settings", "WinPosX", 640));
    EXPECT_TRUE(qt.WriteString("Settings", "DefaultOpenDir", "/home/me/My Music, old/"));
    EXPECT_TRUE(qt.WriteString("Settings", "DefaultSaveAsDir", "/tmp/a\\b\tc/"));
    EXPECT_TRUE(qt.WriteString("Settings", "WinPosY", "left"));
    EXPECT_EQ(qt.ReadInt("Settings", "WinPosY", 300), 300); // no number: the fallback
    IniSettingsStore ini(IniSettingsStore::UserFile("Quillon", "settings-test"));
    EXPECT_EQ(ini.ReadInt("Settings", "WinPosX", 300), 640);
    EXPECT_EQ(ini.ReadString("Settings", "DefaultOpenDir", ""), "/home/me/My Music, old/");
    EXPECT_EQ(ini.ReadString("Settings", "DefaultSaveAsDir", ""), "/tmp/a\\b\tc/");
}

} // namespace
} // namespace sonarel::test
