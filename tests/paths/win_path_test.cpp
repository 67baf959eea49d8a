// The Windows naming rules, checked with Windows paths.
#include "paths/path_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

namespace sonarel {
namespace {

TEST(WinPathSplitTest, PartsOfAFullPath) {
    const char* path = "C:\\Music\\Rock\\a.mp3";
    EXPECT_EQ(winpath::GetRoot(path), "C:");
    EXPECT_EQ(winpath::GetFolder(path), "\\Music\\Rock\\");
    EXPECT_EQ(winpath::GetBaseName(path), "a");
    EXPECT_EQ(winpath::GetExtension(path), ".mp3");
    EXPECT_EQ(winpath::GetFileName(path), "a.mp3");
    EXPECT_EQ(winpath::GetDriveAndFolder(path), "C:\\Music\\Rock\\");
}

TEST(WinPathSplitTest, DotsInFoldersAndNames) {
    EXPECT_EQ(winpath::GetExtension("C:\\my.dir\\file"), "");
    EXPECT_EQ(winpath::GetBaseName("C:\\my.dir\\file"), "file");
    EXPECT_EQ(winpath::GetExtension("C:\\a.b.mp3"), ".mp3");
    EXPECT_EQ(winpath::GetBaseName("C:\\a.b.mp3"), "a.b");
    EXPECT_EQ(winpath::GetExtension("C:\\x\\.mp3"), ".mp3"); // no leading-dot rule on Windows
    EXPECT_EQ(winpath::GetBaseName("C:\\x\\.mp3"), "");
}

TEST(WinPathSplitTest, SlashesCountAsSeparators) {
    PathParts parts = winpath::Split("D:/in\\sub/song.wav");
    EXPECT_EQ(parts.drive, "D:");
    EXPECT_EQ(parts.folder, "/in\\sub/");
    EXPECT_EQ(parts.base_name, "song");
    EXPECT_EQ(parts.extension, ".wav");
}

TEST(WinPathSplitTest, PartsAreCutTo255Characters) {
    std::string longest(300, 'n');
    PathParts parts = winpath::Split("C:\\" + longest + "\\" + longest + "." + longest);
    EXPECT_EQ(parts.folder.size(), 255u);
    EXPECT_EQ(parts.base_name.size(), 255u);
    EXPECT_EQ(parts.extension.size(), 255u);
}

TEST(WinPathRootTest, NetworkNamesAndDrives) {
    EXPECT_EQ(winpath::GetRoot("\\\\srv\\pub\\dir\\f.mp3"), "\\\\srv\\pub");
    EXPECT_EQ(winpath::GetRoot("\\\\srv\\pub"), "\\\\srv\\pub");
    EXPECT_EQ(winpath::GetRoot("\\\\srv"), "");
    EXPECT_EQ(winpath::GetRoot("C:\\a"), "C:");
    EXPECT_EQ(winpath::GetRoot("a\\b"), "");
    EXPECT_EQ(winpath::GetFolder("\\\\srv\\pub\\dir\\f.mp3"), "\\dir\\");
}

TEST(WinPathJoinTest, ReplacingParts) {
    EXPECT_EQ(winpath::SetExtension("C:\\a.mp3", "wav"), "C:\\a.wav");
    EXPECT_EQ(winpath::SetExtension("C:\\a", "wav"), "C:\\a.wav");
    EXPECT_EQ(winpath::SetExtension("C:\\a.mp3", ".wav"), "C:\\a.wav");
    EXPECT_EQ(winpath::SetExtension("C:\\a.mp3", ""), "C:\\a");
    EXPECT_EQ(winpath::SetBaseName("C:\\d\\song.mp3", "song_1"), "C:\\d\\song_1.mp3");
    EXPECT_EQ(winpath::SetFileName("C:\\d\\song.mp3", "x\\other.wav"), "C:\\d\\other.wav");
    EXPECT_EQ(winpath::SetFolder("D:\\in\\song.wav", "C:\\Out"), "C:\\Out\\song.wav");
    EXPECT_EQ(winpath::SetFolder("D:\\in\\song.wav", "C:\\Out.old"), "C:\\Out.old\\song.wav");
    EXPECT_EQ(winpath::SetFolder("D:\\in\\song.wav", "C:\\Out\\"), "C:\\Out\\song.wav");
    EXPECT_EQ(winpath::SetFolder("D:\\in\\song.wav", "\\share\\"), "\\share\\song.wav");
    EXPECT_EQ(winpath::Join({"E:", "folder", "name", "ext"}), "E:folder\\name.ext");
}

TEST(WinPathJoinTest, SetRootKeepsTheFolderSeparatorsAsTheyAre) {
    EXPECT_EQ(winpath::SetRoot("C:\\a\\b.mp3", "D:"), "D:\\\\a\\b.mp3");
    EXPECT_EQ(winpath::SetRoot("C:\\a\\b.mp3", "\\\\srv\\pub\\"), "\\\\srv\\pub\\\\a\\b.mp3");
    EXPECT_EQ(winpath::SetRoot("a\\b.mp3", "C:"), "C:\\a\\b.mp3");
}

TEST(WinPathJoinTest, RemoveTrailingBackslash) {
    EXPECT_EQ(winpath::RemoveTrailingBackslash("C:\\dir\\"), "C:\\dir");
    EXPECT_EQ(winpath::RemoveTrailingBackslash("C:\\dir"), "C:\\dir");
    EXPECT_EQ(winpath::RemoveTrailingBackslash(""), "");
}

TEST(WinPathAssignTest, ResolvesAgainstTheCurrentFolder) {
    EXPECT_EQ(winpath::Assign("a.mp3", "C:\\Work"), "C:\\Work\\a.mp3");
    EXPECT_EQ(winpath::Assign("a.mp3", "C:\\"), "C:\\a.mp3");
    EXPECT_EQ(winpath::Assign("D:\\x\\a.mp3", "C:\\Work"), "D:\\x\\a.mp3");
    EXPECT_EQ(winpath::Assign("", "C:\\Work"), "C:\\Work");
    EXPECT_EQ(winpath::Assign("D:", "C:\\Work"), "C:\\Work");
    EXPECT_EQ(winpath::Assign(".mp3", "C:\\Work"), "C:\\Work");
    EXPECT_EQ(winpath::Assign(".", "C:\\Work"), "C:\\Work");
    EXPECT_EQ(winpath::Assign("..", "C:\\Work\\Sub"), "C:\\Work");
    EXPECT_EQ(winpath::Assign("..", "C:\\Work"), "C:\\");
}

// A small case-insensitive "disk" for the stored-name expansion.
class FakeDisk {
public:
    void Add(const std::string& folder, const std::string& name) {
        entries_[folder].push_back(name);
    }
    StoredNameLookup Lookup() {
        return [this](const std::string& folder,
                      const std::string& component) -> std::optional<std::string> {
            for (const std::string& name : entries_[Lower(folder)]) {
                if (Lower(name) == Lower(component)) {
                    return name;
                }
            }
            return std::nullopt;
        };
    }

private:
    static std::string Lower(std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return text;
    }
    std::map<std::string, std::vector<std::string>> entries_;
};

TEST(WinPathExpandTest, ReplacesComponentsButNotTheRoot) {
    FakeDisk disk;
    disk.Add("c:\\", "Music");
    disk.Add("c:\\music\\", "ABC.mp3");
    EXPECT_EQ(winpath::ExpandLongNames("c:\\music\\abc.mp3", disk.Lookup()), "c:\\Music\\ABC.mp3");
    EXPECT_EQ(winpath::ExpandLongNames("c:\\music\\", disk.Lookup()), "c:\\Music\\");
    EXPECT_EQ(winpath::ExpandLongNames("c:\\", disk.Lookup()), "c:\\");
}

TEST(WinPathExpandTest, MissingComponentGivesNothing) {
    FakeDisk disk;
    disk.Add("c:\\", "Music");
    EXPECT_EQ(winpath::ExpandLongNames("c:\\music\\gone.mp3", disk.Lookup()), std::nullopt);
    EXPECT_EQ(winpath::ExpandLongNames("c:\\other\\abc.mp3", disk.Lookup()), std::nullopt);
}

TEST(WinPathExpandTest, NetworkRootStaysAsWritten) {
    FakeDisk disk;
    disk.Add("\\\\srv\\pub\\", "Dir");
    disk.Add("\\\\srv\\pub\\dir\\", "F.mp3");
    EXPECT_EQ(winpath::ExpandLongNames("\\\\srv\\pub\\dir\\f.mp3", disk.Lookup()),
              "\\\\srv\\pub\\Dir\\F.mp3");
}

} // namespace
} // namespace sonarel
