#include "app/PictureRecord.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/UniqueFd.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {
int runWritingScreensInto(const fs::path& data, const fs::path& screens)
{
    const std::string run = std::string("timeout 60 ") + FLOORPAD_PROGRAM + " --data-dir '" + data.string()
        + "' --screens '" + screens.string() + "' --seconds 0.3 --setting Server_Ip=127.0.0.1 --setting Server_Port=1"
        + " >/dev/null 2>&1";
    const int status = std::system(run.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::set<std::string> picturesIn(const fs::path& folder)
{
    auto names = namesIn(folder);
    std::erase_if(names, [](const std::string& name) { return !name.ends_with(".png"); });
    return names;
}
} // namespace

// The screens folder may be where the user keeps their own pictures, numbered by date and count
// as people do. A run leaves every one of them, and the next run removes the pictures the first
// one wrote, unless the user has changed one since; a link or a folder in the way stays.
TEST(Program, RemovesFromTheScreensFolderOnlyThePicturesItWroteThere)
{
    ScopedDataFolder scratch;
    const auto screens = scratch.path() / "Pictures";
    fs::create_directories(screens / "0002-InitViewController.png");
    std::set<std::string> users {"2023-Christmas.png", "2024-holiday_beach.png", "20240101-receipt.png",
                                 "0001-IMG_4021.png", "0042-scan.png", "1999-map.png", "keep.png",
                                 "0001-InitViewController.png"}; // the name the program's first picture would have
    for (const auto& name : users)
        ASSERT_TRUE(std::ofstream(screens / name) << name);
    const auto files = users;
    fs::create_symlink("keep.png", screens / "0003-InitViewController.png");
    users.insert({"0002-InitViewController.png", "0003-InitViewController.png"});

    ASSERT_EQ(runWritingScreensInto(scratch.path() / "data", screens), 0);
    std::set<std::string> written;
    for (const auto& name : picturesIn(screens)) {
        if (!users.contains(name))
            written.insert(name);
    }
    ASSERT_FALSE(written.empty());
    for (const auto& name : users)
        EXPECT_TRUE(fs::exists(fs::symlink_status(screens / name))) << "removed " << name;
    // Held open, so that no picture the next run writes can be given a freed inode of these and
    // pass for one that stayed; and one the user changed since.
    std::map<std::string, UniqueFd> firstRun;
    for (const auto& name : written)
        firstRun.emplace(name, UniqueFd(::open((screens / name).c_str(), O_RDONLY | O_CLOEXEC)));
    const std::string changed = *written.begin();
    ASSERT_TRUE(std::ofstream(screens / changed, std::ios::app) << "edited");

    ASSERT_EQ(runWritingScreensInto(scratch.path() / "data", screens), 0);
    for (const auto& [name, fd] : firstRun) {
        struct stat info {};
        ASSERT_EQ(::fstat(fd.get(), &info), 0);
        EXPECT_EQ(info.st_nlink, name == changed ? 1u : 0u) << "the first run's " << name;
    }
    for (const auto& name : users)
        EXPECT_TRUE(fs::exists(fs::symlink_status(screens / name))) << "removed " << name;
    for (const auto& name : files)
        EXPECT_EQ(readFile(screens / name), name);
    const auto edited = readFile(screens / changed);
    EXPECT_TRUE(edited && edited->ends_with("edited")) << "removed or replaced the picture the user changed";
}
