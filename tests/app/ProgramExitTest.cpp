#include "image/ImageCache.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// Run without HOME, the program keeps its data in a private folder of the temporary folder.
fs::path fallbackFolder(const fs::path& temporary)
{
    return temporary / ("floorpad-" + std::to_string(::getuid()));
}

// Runs the program briefly with the temporary folder given; its exit status, or -1 when it did not exit.
int runWithoutHome(const fs::path& temporary)
{
    const std::string run = "env -u HOME -u FLOORPAD_DATA_DIR TMPDIR=" + temporary.string() + " timeout 60 "
        + FLOORPAD_PROGRAM + " --seconds 0.3 --setting Server_Ip=127.0.0.1 --setting Server_Port=1 >/dev/null 2>&1";
    const int status = std::system(run.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace

// On its way out, the program removes the pictures that expired, though it showed none.
TEST(Program, RemovesExpiredPicturesAtExitAndKeepsItsFallbackFolderPrivate)
{
    ScopedDataFolder scratch;
    const auto data = fallbackFolder(scratch.path());
    const auto cache = data / "caches" / "default" / (ImageCache::NamespacePrefix + "default");
    fs::create_directories(cache);
    fs::permissions(data, fs::perms::owner_all);
    // So many expired pictures that their clean is over only if the program waits for it at exit.
    const auto expired = fs::file_time_type::clock::now() - std::chrono::hours(24 * 7 + 1);
    for (int i = 0; i < 1000; ++i) {
        std::ofstream(cache / std::to_string(i)) << i;
        fs::last_write_time(cache / std::to_string(i), expired);
    }
    std::ofstream(cache / "fresh") << "fresh";
    EXPECT_EQ(runWithoutHome(scratch.path()), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(cache), {}), 1);
    EXPECT_TRUE(fs::exists(cache / "fresh"));

    // Refused: a folder others may enter, and a link even to a private folder of this user's.
    ASSERT_EQ(::chmod(data.c_str(), 0777), 0);
    EXPECT_EQ(runWithoutHome(scratch.path()), 1) << "open to others";
    fs::remove_all(data);
    ASSERT_TRUE(::mkdir((scratch.path() / "elsewhere").c_str(), 0700) == 0 && ::symlink("elsewhere", data.c_str()) == 0);
    EXPECT_EQ(runWithoutHome(scratch.path()), 1) << "a link";
}

// Refused too: a folder of another user's. Only root can make one; elsewhere this alone skips.
TEST(Program, RefusesAFallbackFolderOfAnotherUser)
{
    ScopedDataFolder scratch;
    const auto data = fallbackFolder(scratch.path());
    ASSERT_EQ(::mkdir(data.c_str(), 0700), 0);
    if (::chown(data.c_str(), ::getuid() + 1, ::getgid()) != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    EXPECT_EQ(runWithoutHome(scratch.path()), 1);
}
