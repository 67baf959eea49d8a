// The Windows naming rules, checked with Windows paths on any host.
#include "paths/path_rules.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <string>

namespace sonarel {
namespace {

TEST(WinPathTest, SplitsDrivesNetworkNamesFoldersAndExtensions) {
    const struct {
        const char* path;
        const char* root;
        const char* folder;
        const char* base;
        const char* extension;
    } cases[] = {
        {"C:\\Music\\Rock\\a.mp3", "C:", "\\Music\\Rock\\", "a", ".mp3"},
        {"C:\\my.dir\\file", "C:", "\\my.dir\\", "file", ""},
        {"C:\\a.b.mp3", "C:", "\\", "a.b", ".mp3"},
        {"C:\\x\\.mp3", "C:", "\\x\\", "", ".mp3"}, // no leading-dot rule on Windows
        {"D:/in\\sub/song.wav", "D:", "/in\\sub/", "song", ".wav"},
        {"\\\\srv\\pub\\dir\\f.mp3", "\\\\srv\\pub", "\\dir\\", "f", ".mp3"},
        {"\\\\srv", "", "\\\\", "srv", ""},
        {"a\\b", "", "a\\", "b", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(winpath::GetRoot(c.path), c.root);
        EXPECT_EQ(winpath::GetFolder(c.path), c.folder);
        EXPECT_EQ(winpath::GetBaseName(c.path), c.base);
        EXPECT_EQ(winpath::GetExtension(c.path), c.extension);
        EXPECT_EQ(winpath::GetFileName(c.path), std::string(c.base) + c.extension);
        EXPECT_EQ(winpath::GetDriveAndFolder(c.path), std::string(c.root) + c.folder);
    }
    EXPECT_EQ(winpath::GetRoot("\\\\srv\\pub"), "\\\\srv\\pub"); // a share alone
    const std::string longest(300, 'n');                         // parts are cut to 255 characters
    const PathParts parts = winpath::Split("C:\\" + longest + "\\" + longest + "." + longest);
    EXPECT_EQ(parts.drive, "C:");
    EXPECT_EQ(parts.folder.size(), 255u);
    EXPECT_EQ(parts.base_name.size(), 255u);
    EXPECT_EQ(parts.extension.size(), 255u);
}

TEST(WinPathTest, ReplacesPartsAndResolvesAgainstTheCurrentFolder) {
    const std::pair<std::string, std::string> cases[] = {
        {winpath::SetExtension("C:\\a.mp3", "wav"), "C:\\a.wav"},
        {winpath::SetExtension("C:\\a", "wav"), "C:\\a.wav"},
        {winpath::SetExtension("C:\\a.mp3", ".wav"), "C:\\a.wav"},
        {winpath::SetExtension("C:\\a.mp3", ""), "C:\\a"},
        {winpath::SetBaseName("C:\\d\\song.mp3", "song_1"), "C:\\d\\song_1.mp3"},
        {winpath::SetFileName("C:\\d\\song.mp3", "x\\other.wav"), "C:\\d\\other.wav"},
        {winpath::SetFolder("D:\\in\\song.wav", "C:\\Out"), "C:\\Out\\song.wav"},
        {winpath::SetFolder("D:\\in\\song.wav", "C:\\Out.old"), "C:\\Out.old\\song.wav"},
        {winpath::SetFolder("D:\\in\\song.wav", "C:\\Out\\"), "C:\\Out\\song.wav"},
        {winpath::SetFolder("D:\\in\\song.wav", "\\share\\"), "\\share\\song.wav"},
        {winpath::Join({"E:", "folder", "name", "ext"}), "E:folder\\name.ext"},
        {winpath::SetRoot("C:\\a\\b.mp3", "D:"), "D:\\\\a\\b.mp3"}, // separators kept as they are
        {winpath::SetRoot("C:\\a\\b.mp3", "\\\\srv\\pub\\"), "\\\\srv\\pub\\\\a\\b.mp3"},
        {winpath::SetRoot("a\\b.mp3", "C:"), "C:\\a\\b.mp3"},
        {winpath::RemoveTrailingBackslash("C:\\dir\\"), "C:\\dir"},
        {winpath::RemoveTrailingBackslash("C:\\dir"), "C:\\dir"},
        {winpath::RemoveTrailingBackslash(""), ""},
        {winpath::Assign("a.mp3", "C:\\Work"), "C:\\Work\\a.mp3"},
        {winpath::Assign("a.mp3", "C:\\"), "C:\\a.mp3"},
        {winpath::Assign("D:\\x\\a.mp3", "C:\\Work"), "D:\\x\\a.mp3"},
        {winpath::Assign("", "C:\\Work"), "C:\\Work"},
        {winpath::Assign("D:", "C:\\Work"), "C:\\Work"},
        {winpath::Assign(".mp3", "C:\\Work"), "C:\\Work"},
        {winpath::Assign(".", "C:\\Work"), "C:\\Work"},
        {winpath::Assign("..", "C:\\Work\\Sub"), "C:\\Work"},
        {winpath::Assign("..", "C:\\Work"), "C:\\"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    }
}

// Stored names come from a small case-insensitive "disk"; the root stays as written.
TEST(WinPathTest, ExpandsEveryComponentButTheRootOrGivesNothing) {
    const std::string stored[] = {"c:\\Music", "c:\\Music\\ABC.mp3", "\\\\srv\\pub\\Dir",
                                  "\\\\srv\\pub\\Dir\\F.mp3"};
    auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        return text;
    };
    const StoredNameLookup lookup = [&](const std::string& folder, const std::string& name) {
        for (const std::string& path : stored) {
            if (lower(path) == lower(folder + name)) {
                return std::optional(path.substr(folder.size()));
            }
        }
        return std::optional<std::string>();
    };
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"c:\\music\\abc.mp3", "c:\\Music\\ABC.mp3"},
        {"c:\\music\\", "c:\\Music\\"},
        {"c:\\", "c:\\"},
        {"\\\\srv\\pub\\dir\\f.mp3", "\\\\srv\\pub\\Dir\\F.mp3"},
        {"c:\\music\\gone.mp3", std::nullopt},
        {"c:\\other\\abc.mp3", std::nullopt},
    };
    for (const auto& [path, expanded] : cases) {
        EXPECT_EQ(winpath::ExpandLongNames(path, lookup), expanded) << path;
    }
}

} // namespace
} // namespace sonarel
