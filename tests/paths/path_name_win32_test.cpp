// PathName with the names of a Windows host: drive letters, network names, '\' written.
#include "paths/path_name.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarel {
namespace {

TEST(PathNameOnWindows, DrivesNetworkNamesAndBackslashes) {
    PathName song("D:\\Music/Rock\\a.mp3"); // both separators are read
    EXPECT_EQ(song.GetRoot(), "D:");
    EXPECT_EQ(song.GetDriveAndFolder(), "D:\\Music/Rock\\");
    song.SetExtension("wav");
    EXPECT_EQ(song.Str(), "D:\\Music/Rock\\a.wav");
    song.SetFolder("E:\\Out\\"); // the drive comes with the folder
    EXPECT_EQ(song.Str(), "E:\\Out\\a.wav");

    PathName shared("\\\\server\\share\\in\\b.mp3");
    EXPECT_EQ(shared.GetRoot(), "\\\\server\\share");
    EXPECT_EQ(shared.GetFileName(), "b.mp3");

    // A bare name is resolved against the current folder, drive letter included.
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(PathName("c.mp3").Str(), here + "\\c.mp3");
    EXPECT_EQ(PathName("c.mp3").GetRoot(), here.substr(0, 2));
}

} // namespace
} // namespace sonarel
