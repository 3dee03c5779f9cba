#include "app/ApplicationInterfaceClasses.h"
#include "platform/ui/InterfaceChecker.h"
#include "platform/ui/InterfaceFileReader.h"

#include <gtest/gtest.h>

#include <filesystem>

// With every layer's classes registered, each shipped interface file names only classes,
// outlets, actions and properties that exist: nothing is taken on trust.
TEST(ShippedInterfaceFiles, EveryNameIsRegisteredByTheProgram)
{
    registerApplicationInterfaceClasses();
    const InterfaceChecker checker;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(InterfaceFileReader::folder())) {
        const std::string file = entry.path().filename().string();
        std::vector<std::string> problems;
        if (file.ends_with(".storyboard.json")) {
            auto contents = InterfaceFileReader::storyboard(file.substr(0, file.size() - 16));
            ASSERT_TRUE(contents) << file;
            problems = checker.checkStoryboard(*contents);
        } else if (file.ends_with(".nib.json")) {
            auto contents = InterfaceFileReader::nib(file.substr(0, file.size() - 9));
            ASSERT_TRUE(contents) << file;
            problems = checker.checkNib(*contents);
        }
        for (const auto& problem : problems)
            ADD_FAILURE() << file << ": " << problem;
        ++files;
    }
    EXPECT_GE(files, 5);
}
