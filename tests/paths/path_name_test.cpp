// PathName and the real file system.
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
    // The name in the scratch folder, written with the host's separator.
    std::string In(const std::string& name) const {
        return (scratch.Path() / fs::path(name).make_preferred()).string();
    }
};

TEST_F(PathNameDiskTest, ExistsAndIsFolder) {
    Touch(scratch / "file.wav");
    fs::create_directory(scratch / "dir");
    EXPECT_TRUE(PathName(In("file.wav")).Exists());
    EXPECT_FALSE(PathName(In("file.wav")).IsFolder());
    EXPECT_TRUE(PathName(In("dir")).Exists());
    EXPECT_TRUE(PathName(In("dir")).IsFolder());
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
    EXPECT_EQ(path.Str(), fs::path("Sub/Tune.mp3").make_preferred().string());
}

} // namespace
} // namespace sonarel
