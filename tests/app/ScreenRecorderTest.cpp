#include "app/ScreenRecorder.h"
#include "platform/graphics/UIColor.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIWindow.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

// However often it captures, the recorder writes a screen again only when its pixels differ
// from the file it wrote last, and every capture it counts is a file.
TEST(ScreenRecorder, WritesTheScreenOnlyWhenItsPixelsChange)
{
    ScopedDataFolder data;
    auto window = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    window->setBackgroundColor(UIColor::blueColor());
    window->makeKeyAndVisible();
    ScreenRecorder recorder(data.path() / "screens");
    EXPECT_EQ(recorder.filesWritten(), 1);
    const std::pair<UIColorPtr, int> steps[] = {
        {UIColor::blueColor(), 1}, {UIColor::greenColor(), 2}, {UIColor::greenColor(), 2}, {UIColor::blueColor(), 3}};
    for (const auto& [color, written] : steps) {
        window->setBackgroundColor(color);
        recorder.capture();
        EXPECT_EQ(recorder.filesWritten(), written);
    }
    // A single pixel a shade off is a change too.
    auto dot = UIView::create(CGRectMake(500, 300, 1, 1));
    dot->setBackgroundColor(UIColor::colorWithRed(0, 0, 0.99, 1));
    window->addSubview(dot);
    recorder.capture();
    EXPECT_EQ(recorder.filesWritten(), 4);
    const auto files = std::distance(std::filesystem::directory_iterator(recorder.folder()), {});
    EXPECT_EQ(files, recorder.filesWritten());

    // A folder that cannot be written counts nothing.
    ASSERT_TRUE(std::ofstream(data.path() / "file") << "not a folder");
    ScreenRecorder blocked(data.path() / "file" / "screens");
    EXPECT_EQ(blocked.filesWritten(), 0);
    UIApplication::sharedApplication().resetForTesting();
}

namespace shown {
class Screen : public UIViewController {};
} // namespace shown

// The folder is the user's to name. The recorder's names keep to the form scripts/demo clears,
// and its first write there removes the leftovers of those names only, never a stranger's file
// that merely looks like a leftover.
TEST(ScreenRecorder, TouchesOnlyItsOwnNamesInTheFolder)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    std::filesystem::create_directories(folder);
    for (const char* name : {"notes.tmp-999999999", "0001-Old.png.tmp-999999999-abc123"})
        ASSERT_TRUE(std::ofstream(folder / name) << "left");
    auto window = UIWindow::create(CGRectMake(0, 0, 64, 48));
    window->setRootViewController(std::make_shared<shown::Screen>());
    window->makeKeyAndVisible();
    {
        ScreenRecorder recorder(folder);
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.insert(entry.path().filename().string());
        EXPECT_EQ(names, (std::set<std::string> {"0001-shown__Screen.png", "notes.tmp-999999999"}));
    }
    UIApplication::sharedApplication().resetForTesting();

    for (const char* name : {"0001-Screen.png", "9999-Screen_2.png", "10000-Screen.png"})
        EXPECT_TRUE(ScreenRecorder::isPictureName(name)) << name;
    for (const char* name : {"0000-Screen.png", "001-Screen.png", "01000-Screen.png", "0001-.png", "0001-My Screen.png",
                             "0001-Screen.png.bak", "0001-Screen.PNG", "x0001-Screen.png", "0001-Sc-reen.png"})
        EXPECT_FALSE(ScreenRecorder::isPictureName(name)) << name;
}
