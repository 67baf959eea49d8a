// PathName's split, join and assignment with the names of a POSIX host.
#include "paths/path_name.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>

#include "support/test_paths.h"

namespace sonarel {
namespace {

namespace fs = std::filesystem;

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

// A case-sensitive file system can hold names that differ only in letter case, and a
// dangling link still takes its name.
TEST(PathNameOnPosix, ExpandLongNamesPrefersAnExactMatchAndALinkTakesItsName) {
    test::ScratchDir scratch;
    auto in = [&](const char* name) { return (scratch / name).string(); };
    for (const char* name : {"abc.mp3", "ABC.mp3", "Abc.MP3"}) {
        std::ofstream(in(name)) << "x";
    }
    PathName exact(in("Abc.MP3"));
    ASSERT_TRUE(exact.ExpandLongNames());
    EXPECT_EQ(exact.GetFileName(), "Abc.MP3");
    PathName loose(in("aBC.mp3"));
    ASSERT_TRUE(loose.ExpandLongNames());
    EXPECT_EQ(loose.GetFileName(), "ABC.mp3"); // first in byte order
    fs::create_symlink(scratch / "gone", scratch / "dangling");
    EXPECT_TRUE(PathName(in("dangling")).Exists());
}

} // namespace
} // namespace sonarel
