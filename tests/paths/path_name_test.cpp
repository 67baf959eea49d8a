// PathName and the real file system, with the host's separator, and the naming rules of both
// styles beneath it. Stored-name expansion runs through PathName on the disk, in both builds.
#include "paths/path_name.h"
#include "paths/path_rules.h"
#include "support/test_paths.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace sonarel {
namespace {

namespace fs = std::filesystem;

class PathNameDiskTest : public ::testing::Test {
protected:
    // The name in the scratch folder, written with the host's separator.
    std::string In(const std::string& name) const {
        return (scratch.Path() / fs::path(name).make_preferred()).string();
    }
    void Touch(const std::string& name, const char* content = "x") const {
        fs::create_directories(fs::path(In(name)).parent_path());
        std::ofstream(In(name), std::ios::binary) << content;
    }

    test::ScratchDir scratch;
};

TEST_F(PathNameDiskTest, ExistsIsFolderAndCanCreateWithoutLeavingOrTouchingAnything) {
    Touch("keep.wav", "precious");
    fs::create_directory(scratch / "dir");
    const auto before = fs::last_write_time(In("keep.wav"));
    const struct {
        const char* name;
        bool exists;
        bool folder;
        bool can_create;
    } cases[] = {{"keep.wav", true, false, true},
                 {"dir", true, true, true},
                 {"new.wav", false, false, true},
                 {"missing/new.wav", false, false, false}};
    for (const auto& c : cases) {
        const PathName path(In(c.name));
        EXPECT_EQ(path.Exists(), c.exists) << c.name;
        EXPECT_EQ(path.IsFolder(), c.folder) << c.name;
        EXPECT_EQ(path.CanCreate(), c.can_create) << c.name;
    }
    EXPECT_FALSE(PathName().Exists());
    EXPECT_FALSE(PathName().CanCreate());
    EXPECT_EQ(test::ReadFileBytes(In("keep.wav")).size(), 8u);
    EXPECT_EQ(fs::last_write_time(In("keep.wav")), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.Path()), fs::directory_iterator()), 2);
}

TEST_F(PathNameDiskTest, ExpandLongNamesTakesTheStoredLetterCaseOrChangesNothing) {
    Touch("Music/Rock/ABC.mp3");
    const std::pair<const char*, const char*> cases[] = {
        {"music/ROCK/abc.mp3", "Music/Rock/ABC.mp3"},
        {"music/rock/", "Music/Rock/"},
        {"nothing/a.mp3", nullptr},
        {"music/b.mp3", nullptr},
        {"music/rock/*.mp3", nullptr},
        {"music/rock/?BC.mp3", nullptr},
    };
    for (const auto& [name, expanded] : cases) {
        PathName path(In(name));
        EXPECT_EQ(path.ExpandLongNames(), expanded != nullptr) << name;
        EXPECT_EQ(path.Str(), In(expanded != nullptr ? expanded : name));
    }
    const fs::path saved = fs::current_path(); // a relative name stays relative
    fs::current_path(scratch.Path());
    PathName relative("music/rock/abc.mp3");
    const bool expanded = relative.ExpandLongNames();
    fs::current_path(saved);
    EXPECT_TRUE(expanded);
    EXPECT_EQ(relative.Str(), fs::path("Music/Rock/ABC.mp3").make_preferred().string());
}

// The naming rules of both styles, on any host: Windows names (drives, network names, both
// separators, parts cut to 255 characters) and POSIX names ('/' only, a leading dot in the
// name).
constexpr const PathStyle& kWin = kWindowsStyle;

TEST(PathRulesTest, SplitsDrivesNetworkNamesFoldersAndExtensions) {
    const struct {
        const PathStyle& style;
        const char* path;
        const char* root;
        const char* folder;
        const char* base;
        const char* extension;
    } cases[] = {
        {kWin, "C:\\Music\\Rock\\a.mp3", "C:", "\\Music\\Rock\\", "a", ".mp3"},
        {kWin, "C:\\my.dir\\file", "C:", "\\my.dir\\", "file", ""},
        {kWin, "C:\\x\\.mp3", "C:", "\\x\\", "", ".mp3"}, // no leading-dot rule on Windows
        {kWin, "D:/in\\sub/song.wav", "D:", "/in\\sub/", "song", ".wav"},
        {kWin, "\\\\srv\\pub\\dir\\f.mp3", "\\\\srv\\pub", "\\dir\\", "f", ".mp3"},
        {kWin, "\\\\srv", "", "\\\\", "srv", ""},
        {kWin, "a\\b", "", "a\\", "b", ""},
        {kPosixStyle, "/music/rock/a.b.mp3", "", "/music/rock/", "a.b", ".mp3"},
        {kPosixStyle, "/data/C:odd\\name.mp3", "", "/data/", "C:odd\\name", ".mp3"},
        {kPosixStyle, "/home/u/.profile", "", "/home/u/", ".profile", ""},
        {kPosixStyle, "/x/.hidden.mp3", "", "/x/", ".hidden", ".mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(RootOf(c.style, c.path), c.root);
        EXPECT_EQ(FolderOf(c.style, c.path), c.folder);
        EXPECT_EQ(BaseNameOf(c.style, c.path), c.base);
        EXPECT_EQ(ExtensionOf(c.style, c.path), c.extension);
        EXPECT_EQ(FileNameOf(c.style, c.path), std::string(c.base) + c.extension);
        EXPECT_EQ(DriveAndFolderOf(c.style, c.path), std::string(c.root) + c.folder);
    }
    EXPECT_EQ(RootOf(kWin, "\\\\srv\\pub"), "\\\\srv\\pub"); // a share alone
    const std::string longest(300, 'n');                     // parts are cut to 255 characters
    const PathParts parts = SplitPath(kWin, "C:\\" + longest + "\\" + longest + "." + longest);
    EXPECT_EQ(parts.drive, "C:");
    EXPECT_EQ(parts.folder.size(), 255u);
    EXPECT_EQ(parts.base_name.size(), 255u);
    EXPECT_EQ(parts.extension.size(), 255u);
}

// The rules PathName shares with the host's style are in its own tests; these are the
// Windows ones: drives, shares and both separators.
TEST(PathRulesTest, ReplacesWindowsPartsAndResolvesAgainstTheCurrentFolder) {
    const std::pair<std::string, std::string> cases[] = {
        {WithExtension(kWin, "C:\\a", "wav"), "C:\\a.wav"},
        {WithExtension(kWin, "C:\\a.mp3", ""), "C:\\a"},
        {WithBaseName(kWin, "C:\\d\\song.mp3", "song_1"), "C:\\d\\song_1.mp3"},
        {WithFileName(kWin, "C:\\d\\song.mp3", "x\\other.wav"), "C:\\d\\other.wav"},
        {WithFolder(kWin, "D:\\in\\song.wav", "C:\\Out"), "C:\\Out\\song.wav"},
        {WithFolder(kWin, "D:\\in\\song.wav", "C:\\Out.old"), "C:\\Out.old\\song.wav"},
        {WithFolder(kWin, "D:\\in\\song.wav", "C:\\Out\\"), "C:\\Out\\song.wav"},
        {WithFolder(kWin, "D:\\in\\song.wav", "\\share\\"), "\\share\\song.wav"},
        {JoinPath(kWin, {"E:", "folder", "name", "ext"}), "E:folder\\name.ext"},
        {WithRoot(kWin, "C:\\a\\b.mp3", "D:"), "D:\\\\a\\b.mp3"}, // separators kept as they are
        {WithRoot(kWin, "C:\\a\\b.mp3", "\\\\srv\\pub\\"), "\\\\srv\\pub\\\\a\\b.mp3"},
        {WithRoot(kWin, "a\\b.mp3", "C:"), "C:\\a\\b.mp3"},
        {WithoutTrailingSeparator(kWin, "C:\\dir\\"), "C:\\dir"},
        {AssignPath(kWin, "a.mp3", "C:\\"), "C:\\a.mp3"},
        {AssignPath(kWin, "D:", "C:\\Work"), "C:\\Work"},
        {AssignPath(kWin, "..", "C:\\Work"), "C:\\"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    }
}

} // namespace
} // namespace sonarel
