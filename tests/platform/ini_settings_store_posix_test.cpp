// The settings file: QSettings' INI layout and values that need escaping.
#include "platform/posix/ini_settings_store.h"
#include "platform/posix/ini_text.h"
#include "support/test_paths.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace sonarel {
namespace {

// What QSettings writes itself: the desktop program's settings test.
TEST(IniSettingsStoreTest, ReadsWhatQSettingsWrote) {
    test::ScratchDir dir;
    IniSettingsStore store(dir / "sonarel.conf");
    std::ofstream(dir / "sonarel.conf", std::ios::binary)
        << ("[General]\nfoo=1\r\n\r\n[Settings]\r\nDefaultOpenDir=\"/m/a,b; c/\"\r\n"
            "DefaultSaveAsDir=/tmp/tab\\there/\r\nWinPosX = 42 \r\nWinPosY=abc\r\nN=12abc\r\n"
            "[Window]\ngeometry=@ByteArray(AA)\n");
    EXPECT_EQ(store.ReadString("Settings", "DefaultOpenDir", ""), "/m/a,b; c/");
    EXPECT_EQ(store.ReadString("Settings", "DefaultSaveAsDir", ""), "/tmp/tab\there/");
    EXPECT_EQ(store.ReadInt("Settings", "WinPosX", 300), 42);
    EXPECT_EQ(store.ReadInt("Settings", "WinPosY", 300), 300); // not a number
    EXPECT_EQ(store.ReadInt("Settings", "N", 300), 300);
    EXPECT_EQ(store.ReadInt("General", "WinPosX", 7), 7);              // other section
    EXPECT_EQ(store.ReadString("Window", "geometry", "none"), "none"); // not a string value
}

// An absolute XDG_CONFIG_HOME: the console's tests, which keep their settings there.
TEST(IniSettingsFileTest, UserFileFollowsXdgConfigHomeElseHome) {
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved_xdg = xdg != nullptr ? xdg : "";
    setenv("HOME", "/h", 1);
    setenv("XDG_CONFIG_HOME", "relative/dir", 1); // not absolute: ignored
    EXPECT_EQ(IniSettingsStore::UserFile("Quillon", "x"), "/h/.config/Quillon/x.conf");
    setenv("HOME", home.c_str(), 1);
    if (xdg != nullptr) {
        setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

// Values as QSettings escapes them.
TEST(IniTextTest, ReadsQSettingsEscapes) {
    const struct {
        const char* written;
        const char* value;
    } cases[] = {
        {"\"a,b\"", "a,b"},
        {"\" lead\"", " lead"},
        {"back\\\\slash \\\"q\\\"", "back\\slash \"q\""},
        {"tab\\tnl\\n", "tab\tnl\n"},
        {"\"@@at end \"", "@at end "},
        {"\\x1\\x66\\101", "\x01"
                           "fA"},
        {"caf\xC3\xA9", "caf\xC3\xA9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini::UnescapeValue(c.written).value_or("<none>"), c.value) << c.written;
    }
    EXPECT_FALSE(ini::UnescapeValue("@Invalid()").has_value());
}

} // namespace
} // namespace sonarel
