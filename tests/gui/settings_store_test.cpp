// Settings through QSettings: defaults, round trips, and the same file the console converter's
// INI store reads and writes.
#include "platform/posix/ini_settings_store.h"
#include "gui/qt_settings_store.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

const QString kApplication = QStringLiteral("sonarel-settings-test");

class QSettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { QSettings(QStringLiteral("Quillon"), kApplication).clear(); }
};

TEST_F(QSettingsStoreTest, MissingValuesGiveTheFallback) {
    QSettingsStore store(QStringLiteral("Quillon"), kApplication);
    EXPECT_EQ(store.ReadInt("Settings", "WinPosX", 300), 300);
    EXPECT_EQ(store.ReadString("Settings", "DefaultOpenDir", ""), "");
    EXPECT_EQ(store.ReadString("Settings", "DefaultOpenDir", "x"), "x");
}

TEST_F(QSettingsStoreTest, ValuesRoundTripAndOverwrite) {
    QSettingsStore store(QStringLiteral("Quillon"), kApplication);
    EXPECT_TRUE(store.WriteInt("Settings", "WinPosX", -50));
    EXPECT_TRUE(store.WriteString("Settings", "DefaultOpenDir", "/music/old, new/"));
    EXPECT_EQ(store.ReadInt("Settings", "WinPosX", 300), -50);
    EXPECT_EQ(store.ReadString("Settings", "DefaultOpenDir", ""), "/music/old, new/");
    EXPECT_TRUE(store.WriteInt("Settings", "WinPosX", 12));
    EXPECT_EQ(store.ReadInt("Settings", "WinPosX", 300), 12);
    // A value that is no number reads as the fallback.
    store.WriteString("Settings", "WinPosY", "left");
    EXPECT_EQ(store.ReadInt("Settings", "WinPosY", 300), 300);
}

TEST_F(QSettingsStoreTest, LivesInTheUsersConfigurationUnderTheCompany) {
    QSettingsStore store(QStringLiteral("Quillon"), kApplication);
    store.WriteInt("Settings", "WinPosX", 1);
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/Quillon/sonarel-settings-test.conf");
    EXPECT_EQ(store.Location(), expected);
    EXPECT_TRUE(QFileInfo::exists(expected));
    EXPECT_EQ(IniSettingsStore::UserFile("Quillon", kApplication.toStdString()),
              std::filesystem::path(expected.toStdString()));
}

TEST_F(QSettingsStoreTest, SharesItsFileWithTheIniStore) {
    QSettingsStore qt(QStringLiteral("Quillon"), kApplication);
    IniSettingsStore ini(IniSettingsStore::UserFile("Quillon", kApplication.toStdString()));
    qt.WriteInt("Settings", "WinPosX", 640);
    qt.WriteString("Settings", "DefaultOpenDir", "/home/me/My Music/");
    EXPECT_EQ(ini.ReadInt("Settings", "WinPosX", 300), 640);
    EXPECT_EQ(ini.ReadString("Settings", "DefaultOpenDir", ""), "/home/me/My Music/");

    ini.WriteInt("Settings", "WinPosY", -7);
    ini.WriteString("Settings", "DefaultSaveAsDir", "/tmp/out dir/");
    QSettingsStore reread(QStringLiteral("Quillon"), kApplication);
    EXPECT_EQ(reread.ReadInt("Settings", "WinPosY", 300), -7);
    EXPECT_EQ(reread.ReadString("Settings", "DefaultSaveAsDir", ""), "/tmp/out dir/");
    EXPECT_EQ(reread.ReadInt("Settings", "WinPosX", 300), 640);
}

} // namespace
} // namespace sonarel::test
