#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

// A test's data folder is made new: folders already in the temporary folder, under any name a
// test folder might take, are someone else's and stay as they were.
TEST(ScopedDataFolder, LeavesWhatAlreadyStoodThereAlone)
{
    std::vector<fs::path> planted;
    for (int i = 0; i < 64; ++i) {
        const fs::path path = fs::temp_directory_path() / ("floorpad-test-" + std::to_string(::getpid()) + "-" + std::to_string(i));
        if (fs::create_directory(path)) {
            std::ofstream(path / "keep") << "mine";
            planted.push_back(path);
        }
    }
    for (int i = 0; i < 64; ++i) {
        ScopedDataFolder data;
        EXPECT_TRUE(fs::is_directory(data.path()));
        EXPECT_TRUE(fs::is_empty(data.path()));
    }
    for (const auto& path : planted) {
        EXPECT_TRUE(fs::exists(path / "keep")) << path;
        fs::remove_all(path);
    }
}
