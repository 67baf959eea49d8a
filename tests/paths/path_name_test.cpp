// PathName on this host: POSIX names and the real file system.
#include "paths/path_name.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/test_paths.h"

namespace sonarel {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& path, const std::string& content = "x") {
    std::ofstream(path, std::ios::binary) << content;
}

TEST(PathNameSplitTest, PartsOfAHostPath) {
    PathName path("/music/rock/a.b.mp3");
    EXPECT_EQ(path.Str(), "/music/rock/a.b.mp3");
    EXPECT_EQ(path.GetRoot(), "");
    EXPECT_EQ(path.GetFolder(), "/music/rock/");
    EXPECT_EQ(path.GetBaseName(), "a.b");
    EXPECT_EQ(path.GetExtension(), ".mp3");
    EXPECT_EQ(path.GetFileName(), "a.b.mp3");
    EXPECT_EQ(path.GetDriveAndFolder(), "/music/rock/");
}

TEST(PathNameSplitTest, OnlySlashSeparatesAndThereAreNoDrives) {
    PathName path("/data/C:odd\\name.mp3");
    EXPECT_EQ(path.GetFolder(), "/data/");
    EXPECT_EQ(path.GetBaseName(), "C:odd\\name");
    EXPECT_EQ(PathName("/my.dir/file").GetExtension(), "");
}

TEST(PathNameSplitTest, LeadingDotBelongsToTheName) {
    PathName path("/home/u/.profile");
    EXPECT_EQ(path.GetBaseName(), ".profile");
    EXPECT_EQ(path.GetExtension(), "");
    path.SetExtension("wav");
    EXPECT_EQ(path.Str(), "/home/u/.profile.wav");
    EXPECT_EQ(PathName("/x/.hidden.mp3").GetExtension(), ".mp3");
}

TEST(PathNameJoinTest, ReplacingParts) {
    PathName path("/in/song.mp3");
    path.SetExtension("wav");
    EXPECT_EQ(path.Str(), "/in/song.wav");
    path.SetExtension(".mp3");
    EXPECT_EQ(path.Str(), "/in/song.mp3");
    path.SetBaseName("song_1");
    EXPECT_EQ(path.Str(), "/in/song_1.mp3");
    path.SetFileName("other.wav");
    EXPECT_EQ(path.Str(), "/in/other.wav");
    path.SetFolder("/out");
    EXPECT_EQ(path.Str(), "/out/other.wav");
    path.SetFolder("/out.old/");
    EXPECT_EQ(path.Str(), "/out.old/other.wav");
    path.SetRoot("/mnt");
    EXPECT_EQ(path.Str(), "/mnt//out.old/other.wav"); // the system reads "//" as "/"
}

TEST(PathNameJoinTest, RemoveTrailingBackslashRemovesTheTrailingSlash) {
    PathName path("/a/b/");
    path.RemoveTrailingBackslash();
    EXPECT_EQ(path.Str(), "/a/b");
    path.RemoveTrailingBackslash();
    EXPECT_EQ(path.Str(), "/a/b");
    PathName root("/");
    root.RemoveTrailingBackslash();
    EXPECT_EQ(root.Str(), "/"); // the root folder keeps its name
}

TEST(PathNameAssignTest, ResolvesBareNamesAgainstTheCurrentFolder) {
    std::string cwd = fs::current_path().string();
    EXPECT_EQ(PathName("a.mp3").Str(), cwd + "/a.mp3");
    EXPECT_EQ(PathName("").Str(), cwd);
    EXPECT_EQ(PathName(".").Str(), cwd);
    EXPECT_EQ(PathName("..").Str(), fs::current_path().parent_path().string());
    EXPECT_EQ(PathName("/x/a.mp3").Str(), "/x/a.mp3");
    EXPECT_EQ(PathName("sub/a.mp3").Str(), "sub/a.mp3"); // a folder part: kept as written
    EXPECT_EQ(PathName(".mp3").Str(), cwd + "/.mp3");
}

TEST(PathNameAssignTest, PrefixConstructorAndCopiesStoreTextUnchanged) {
    PathName prefix("abc.mp3xyz", 7);
    EXPECT_EQ(prefix.Str(), "abc.mp3");
    EXPECT_EQ(prefix.Length(), 7u);
    PathName copy = prefix;
    copy.SetExtension("wav");
    EXPECT_EQ(prefix.Str(), "abc.mp3");
    EXPECT_EQ(copy.Str(), "abc.wav");
    EXPECT_TRUE(PathName().IsEmpty());
    EXPECT_STREQ(copy.CStr(), "abc.wav");
}

class PathNameDiskTest : public ::testing::Test {
protected:
    test::ScratchDir scratch;
    std::string In(const std::string& name) const { return (scratch / name).string(); }
};

TEST_F(PathNameDiskTest, ExistsAndIsFolder) {
    Touch(scratch / "file.wav");
    fs::create_directory(scratch / "dir");
    fs::create_symlink(scratch / "gone", scratch / "dangling");
    EXPECT_TRUE(PathName(In("file.wav")).Exists());
    EXPECT_FALSE(PathName(In("file.wav")).IsFolder());
    EXPECT_TRUE(PathName(In("dir")).Exists());
    EXPECT_TRUE(PathName(In("dir")).IsFolder());
    EXPECT_TRUE(PathName(In("dangling")).Exists()); // the name is taken
    EXPECT_FALSE(PathName(In("missing")).Exists());
    EXPECT_FALSE(PathName(In("missing")).IsFolder());
    EXPECT_FALSE(PathName().Exists());
}

TEST_F(PathNameDiskTest, CanCreateLeavesNothingBehind) {
    PathName path(In("new.wav"));
    EXPECT_TRUE(path.CanCreate());
    EXPECT_FALSE(fs::exists(path.Str()));
    EXPECT_FALSE(PathName(In("missing/new.wav")).CanCreate());
    EXPECT_FALSE(fs::exists(scratch / "missing"));
    EXPECT_TRUE(fs::is_empty(scratch.Path()));
}

TEST_F(PathNameDiskTest, CanCreateDoesNotTouchAnExistingFile) {
    Touch(scratch / "keep.wav", "precious");
    fs::file_time_type before = fs::last_write_time(scratch / "keep.wav");
    EXPECT_TRUE(PathName(In("keep.wav")).CanCreate());
    EXPECT_EQ(test::ReadFileBytes(scratch / "keep.wav").size(), 8u);
    EXPECT_EQ(fs::last_write_time(scratch / "keep.wav"), before);
}

TEST_F(PathNameDiskTest, MakeUniqueCountsUpFromOne) {
    PathName free(In("song.wav"));
    free.MakeUnique();
    EXPECT_EQ(free.Str(), In("song.wav"));

    Touch(scratch / "song.wav");
    PathName path(In("song.wav"));
    path.MakeUnique();
    EXPECT_EQ(path.Str(), In("song_1.wav"));

    Touch(scratch / "song_1.wav");
    Touch(scratch / "song_2.wav");
    PathName again(In("song.wav"));
    again.MakeUnique();
    EXPECT_EQ(again.Str(), In("song_3.wav"));
}

TEST_F(PathNameDiskTest, ExpandLongNamesTakesTheStoredLetterCase) {
    fs::create_directories(scratch / "Music" / "Rock");
    Touch(scratch / "Music" / "Rock" / "ABC.mp3");
    PathName path(In("music/ROCK/abc.mp3"));
    ASSERT_TRUE(path.ExpandLongNames());
    EXPECT_EQ(path.Str(), In("Music/Rock/ABC.mp3"));

    PathName folder(In("music/rock/"));
    ASSERT_TRUE(folder.ExpandLongNames());
    EXPECT_EQ(folder.Str(), In("Music/Rock/"));
}

TEST_F(PathNameDiskTest, ExpandLongNamesPrefersAnExactMatch) {
    Touch(scratch / "abc.mp3");
    Touch(scratch / "ABC.mp3");
    Touch(scratch / "Abc.MP3");
    PathName exact(In("Abc.MP3"));
    ASSERT_TRUE(exact.ExpandLongNames());
    EXPECT_EQ(exact.GetFileName(), "Abc.MP3");
    PathName loose(In("aBC.mp3"));
    ASSERT_TRUE(loose.ExpandLongNames());
    EXPECT_EQ(loose.GetFileName(), "ABC.mp3"); // first in byte order
}

TEST_F(PathNameDiskTest, ExpandLongNamesFailsOnAMissingComponent) {
    fs::create_directory(scratch / "Music");
    Touch(scratch / "Music" / "a.mp3");
    for (const char* name : {"nothing/a.mp3", "music/b.mp3", "music/*.mp3", "music/?.mp3"}) {
        PathName path(In(name));
        EXPECT_FALSE(path.ExpandLongNames()) << name;
        EXPECT_EQ(path.Str(), In(name)); // unchanged
    }
}

TEST_F(PathNameDiskTest, ExpandLongNamesKeepsRelativePathsRelative) {
    fs::create_directory(scratch / "Sub");
    Touch(scratch / "Sub" / "Tune.mp3");
    fs::path saved = fs::current_path();
    fs::current_path(scratch.Path());
    PathName path("sub/tune.mp3");
    bool expanded = path.ExpandLongNames();
    fs::current_path(saved);
    ASSERT_TRUE(expanded);
    EXPECT_EQ(path.Str(), "Sub/Tune.mp3");
}

} // namespace
} // namespace sonarel
