#include "app/ScreenRecorder.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIWindow.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

// A screen is written when what it shows changes, down to one pixel, and never again unchanged.
TEST(ScreenRecorder, WritesAScreenOnlyWhenItsPixelsChange)
{
    ScopedDataFolder data;
    ManualMainClock clock;
    auto window = UIWindow::create(UIScreen::mainScreen().bounds());
    window->setBackgroundColor(UIColor::whiteColor());
    auto dot = UIView::create(CGRectMake(500, 300, 1, 1));
    window->addSubview(dot);
    window->makeKeyAndVisible();
    ScreenRecorder recorder(data.path() / "screens");
    const int first = recorder.filesWritten();
    EXPECT_GE(first, 1);
    const auto captureAndCount = [&] {
        recorder.capture();
        clock.advance(1.5); // the recorder's own one-second capture too
        return recorder.filesWritten() - first;
    };
    EXPECT_EQ(captureAndCount(), 0);
    dot->setBackgroundColor(UIColor::colorWithWhite(0.99, 1));
    EXPECT_EQ(captureAndCount(), 1);
    EXPECT_EQ(captureAndCount(), 1);
    dot->setBackgroundColor(nullptr);
    EXPECT_EQ(captureAndCount(), 2);
    UIApplication::sharedApplication().resetForTesting();
}
