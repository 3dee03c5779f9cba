#include "kit/StatusBarNotification.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/ViewRenderer.h"

#include "tests/support/ScreenPictures.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(StatusStripRender, ScreenPictureShowsTheStripOverTheWindow)
{
    ScopedDataFolder data;
    ManualMainClock clock;
    UIApplication::sharedApplication().resetForTesting();
    StatusBarNotification::resetSharedInstanceForTesting();

    auto window = UIWindow::create(UIScreen::mainScreen().bounds());
    window->setBackgroundColor(UIColor::whiteColor());
    window->makeKeyAndVisible();
    auto strip = StatusBarNotification::sharedInstance();
    strip->setOffLineStr("已连接");
    strip->setClerkStr("操作人：张三");
    strip->setWifiStr("系统日期：2026-12-06");
    StatusBarNotification::showCustomStatus();
    clock.advance(0.5);

    const auto path = screenPicturePath("status-strip").value_or(data.path() / "strip.png");
    ASSERT_TRUE(ViewRenderer::writeScreenPNG(path, 2));
    const auto picture = UIImage::imageWithContentsOfFile(path);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixelWidth(), 2048);
    EXPECT_EQ(picture->pixelHeight(), 1536);
    // The black bar across the top, clear of icons and text, and the white window below it.
    for (int x : {20, 400, 1000, 2040}) {
        const auto p = picture->pixelAt(x, 2);
        EXPECT_EQ(p.red, 0) << x;
        EXPECT_EQ(p.green, 0) << x;
        EXPECT_EQ(p.alpha, 255) << x;
    }
    EXPECT_EQ(picture->pixelAt(100, 39).red, 0);
    EXPECT_EQ(picture->pixelAt(100, 41).red, 255);
    EXPECT_EQ(picture->pixelAt(1000, 800).green, 255);
    // The white label text of the connection pair shows on the bar.
    int bright = 0;
    for (int y = 6; y < 34; ++y)
        for (int x = 240; x < 400; ++x)
            bright += picture->pixelAt(x, y).red > 128 ? 1 : 0;
    EXPECT_GT(bright, 20);

    StatusBarNotification::resetSharedInstanceForTesting();
    UIApplication::sharedApplication().resetForTesting();
}
