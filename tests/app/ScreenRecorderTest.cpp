#include "app/ScreenRecorder.h"
#include "platform/graphics/UIColor.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIWindow.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

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
    UIApplication::sharedApplication().resetForTesting();
}
