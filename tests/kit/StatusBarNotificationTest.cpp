#include "kit/StatusBarNotification.h"
#include "kit/StatusStripConnectionDisplay.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIDevice.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/ViewRenderer.h"

#include "tests/support/ScreenPictures.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {
class StatusStripTest : public ::testing::Test {
protected:
    ScopedDataFolder data;
    ManualMainClock clock;
    UIWindowPtr mainWindow;

    void SetUp() override
    {
        UIApplication::sharedApplication().resetForTesting();
        StatusBarNotification::resetSharedInstanceForTesting();
        UIDevice::currentDevice().setSystemVersion("8.0");
        mainWindow = UIWindow::create(UIScreen::mainScreen().bounds());
        mainWindow->makeKeyAndVisible();
    }
    void TearDown() override
    {
        StatusBarNotification::resetSharedInstanceForTesting();
        UIApplication::sharedApplication().resetForTesting();
    }
    static std::string text(int tag)
    {
        auto label = std::dynamic_pointer_cast<UILabel>(StatusBarNotification::sharedInstance()->topBar()->viewWithTag(tag));
        return label ? label->text() : "<no label>";
    }
};
} // namespace

TEST_F(StatusStripTest, CreationBuildsTheFourPairsOnAHiddenBar)
{
    UserDefaults::standard().setObject("Server_Ip", "192.168.1.5");
    auto strip = StatusBarNotification::sharedInstance();
    EXPECT_TRUE(strip->isVisible()); // a bar exists before any show
    EXPECT_TRUE(strip->overlayWindow()->isHidden());
    EXPECT_EQ(strip->overlayWindow()->windowLevel(), UIWindowLevelStatusBar);

    const auto bar = strip->topBar();
    EXPECT_EQ(bar->bounds().size, (CGSize {1024, 20}));
    EXPECT_EQ(bar->transform(), CGAffineTransformMakeTranslation(0, -20)); // waiting above its place

    const std::pair<int, std::pair<double, double>> spans[] = {
        {1001, {120, 281}}, {1002, {301, 562}}, {1003, {582, 793}}, {1004, {813, 1024}}};
    for (const auto& [tag, span] : spans) {
        auto label = std::dynamic_pointer_cast<UILabel>(bar->viewWithTag(tag));
        ASSERT_TRUE(label) << tag;
        EXPECT_DOUBLE_EQ(label->frame().origin.x, span.first) << tag;
        EXPECT_DOUBLE_EQ(CGRectGetMaxX(label->frame()), span.second) << tag;
        EXPECT_EQ(label->frame().origin.y, 3);
    }
    EXPECT_EQ(text(1001), "在线");
    EXPECT_EQ(text(1002), "服务器：192.168.1.5");

    // The address was read once: a later change of the setting is not shown.
    UserDefaults::standard().setObject("Server_Ip", "10.0.0.9");
    StatusBarNotification::showCustomStatus();
    EXPECT_EQ(text(1002), "服务器：192.168.1.5");
}

TEST_F(StatusStripTest, TextsReachTheirLabelsOnlyWhenShown)
{
    auto strip = StatusBarNotification::sharedInstance();
    strip->setOffLineStr("已连接");
    strip->setWifiStr("系统日期：2026-12-06");
    EXPECT_EQ(text(1001), "在线"); // stored, not shown
    EXPECT_EQ(text(1002), "服务器："); // no server address set

    StatusBarNotification::showCustomStatus();
    EXPECT_EQ(text(1001), "已连接");
    EXPECT_EQ(text(1003), ""); // never set: emptied
    EXPECT_EQ(text(1004), "系统日期：2026-12-06");

    strip->setClerkStr("操作人：张三");
    strip->setOffLineStr("断开连接");
    EXPECT_EQ(text(1003), "");
    StatusBarNotification::showCustomStatus();
    EXPECT_EQ(text(1001), "断开连接");
    EXPECT_EQ(text(1003), "操作人：张三");

    // Every show copies all three again, whoever makes it.
    strip->setWifiStr(std::nullopt);
    strip->showWithStatus(std::nullopt, std::string("StatusBarStyleError"));
    EXPECT_EQ(text(1003), "操作人：张三");
    EXPECT_EQ(text(1004), "");
}

TEST_F(StatusStripTest, ShowAppliesTheStyleAndSlidesInOnce)
{
    auto strip = StatusBarNotification::sharedInstance();
    auto bar = StatusBarNotification::showCustomStatus();
    EXPECT_FALSE(strip->overlayWindow()->isHidden());
    EXPECT_EQ(bar->backgroundColor(), UIColor::blackColor());
    EXPECT_EQ(bar->textLabel()->font()->fontName(), "Courier-Bold");
    EXPECT_EQ(bar->textLabel()->text(), "");
    // The slide sets its end at once and runs for 0.4 seconds.
    EXPECT_EQ(bar->transform(), CGAffineTransformIdentity);
    ASSERT_FALSE(UIView::runningAnimations().empty());
    EXPECT_DOUBLE_EQ(UIView::runningAnimations().back().duration, 0.4);
    EXPECT_TRUE(bar->hasActivityIndicatorView());
    EXPECT_FALSE(bar->activityIndicatorView()->isAnimating());

    // The status text is drawn across the whole bar above the pairs.
    StatusBarNotification::showWithStatus(std::string("同步中"));
    const auto& views = bar->subviews();
    const auto index = [&](const UIView* v) {
        return std::find_if(views.begin(), views.end(), [&](const auto& s) { return s.get() == v; }) - views.begin();
    };
    EXPECT_GT(index(bar->textLabel().get()), index(strip->wifiLabel().get()));
    EXPECT_EQ(bar->textLabel()->text(), "同步中");
    EXPECT_EQ(bar->backgroundColor(), UIColor::whiteColor()); // the default style
}

TEST_F(StatusStripTest, StyleRegistryFallsBackAndKeepsNothingEmpty)
{
    auto strip = StatusBarNotification::sharedInstance();
    EXPECT_EQ(strip->userStyles().size(), 5u);
    EXPECT_EQ(strip->userStyles().count("StatusBarStyleDefault"), 0u);
    EXPECT_EQ(strip->styleNamed(std::string("nope")), strip->defaultStyle());
    EXPECT_EQ(strip->styleNamed(std::nullopt), strip->defaultStyle());

    const auto before = strip->userStyles();
    EXPECT_EQ(strip->addStyleNamed("Empty", [](StatusBarStylePtr) { return nullptr; }), "Empty");
    EXPECT_EQ(strip->userStyles(), before);
    strip->addStyleNamed("StatusBarStyleMatrix", nullptr);
    EXPECT_EQ(strip->userStyles(), before);
    const auto oldDefault = strip->defaultStyle();
    strip->setDefaultStyle([](StatusBarStylePtr) { return nullptr; });
    EXPECT_EQ(strip->defaultStyle(), oldDefault);

    // A registered style starts from a copy of the default; it may replace a predefined one.
    strip->addStyleNamed("StatusBarStyleMatrix", [](StatusBarStylePtr style) {
        style->barColor = UIColor::purpleColor();
        return style;
    });
    EXPECT_EQ(strip->styleNamed(std::string("StatusBarStyleMatrix"))->barColor, UIColor::purpleColor());
    EXPECT_EQ(strip->styleNamed(std::string("StatusBarStyleMatrix"))->textColor, UIColor::grayColor());
    EXPECT_NE(oldDefault->barColor, UIColor::purpleColor()) << "the default itself is left as it was";

    strip->setDefaultStyle([](StatusBarStylePtr style) {
        style->barColor = UIColor::orangeColor();
        return style;
    });
    auto bar = strip->showWithStatus(std::nullopt, std::string("StatusBarStyleDefault"));
    EXPECT_EQ(bar->backgroundColor(), UIColor::orangeColor());
}

TEST_F(StatusStripTest, ProgressBarFollowsTheActiveStyle)
{
    auto strip = StatusBarNotification::sharedInstance();
    StatusBarNotification::showCustomStatus(); // green, 2 points, along the bottom
    strip->setProgress(0.5);
    const auto& progress = strip->progressView();
    EXPECT_EQ(progress->frame(), CGRectMake(0, 18, 512, 2));
    EXPECT_EQ(progress->backgroundColor(), UIColor::greenColor());
    EXPECT_EQ(progress->superview(), strip->topBar().get());
    const auto& siblings = strip->topBar()->subviews();
    const auto at = [&](const UIView* v) { return std::find_if(siblings.begin(), siblings.end(), [&](auto& s) { return s.get() == v; }); };
    EXPECT_LT(at(progress.get()), at(strip->topBar()->textLabel().get()));

    strip->setProgress(7);
    EXPECT_DOUBLE_EQ(strip->progress(), 1);
    EXPECT_EQ(progress->frame().size.width, 1024);
    strip->setProgress(NAN);
    EXPECT_EQ(progress->frame(), CGRectZero);

    strip->addStyleNamed("below", [](StatusBarStylePtr style) {
        style->progressBarPosition = StatusBarStyle::Below;
        style->progressBarHeight = 50;
        return style;
    });
    strip->showWithStatus(std::nullopt, std::string("below"));
    strip->setProgress(0.25);
    EXPECT_EQ(progress->superview(), strip->topBar()->superview());
    EXPECT_EQ(progress->frame(), CGRectMake(0, 20, 256, 20)); // thickness limited to the bar's height
}

TEST_F(StatusStripTest, TallerStatusBarMovesTheBarUpByHalf)
{
    auto strip = StatusBarNotification::sharedInstance();
    StatusBarNotification::showCustomStatus();
    UIApplication::sharedApplication().setStatusBarHeight(40);
    EXPECT_EQ(strip->topBar()->frame(), CGRectMake(0, -20, 1024, 40));
    UIApplication::sharedApplication().setStatusBarHeight(20);
    EXPECT_EQ(strip->topBar()->frame(), CGRectMake(0, 0, 1024, 20));

    // Before version 7 a taller bar stays at the top; rotation keeps the long side.
    UIDevice::currentDevice().setSystemVersion("6.1");
    strip->updateTopBarFrameWithStatusBarFrame(CGRectMake(0, 0, 40, 1024));
    EXPECT_EQ(strip->topBar()->frame(), CGRectMake(0, 0, 1024, 40));

    // A notice without a usable frame changes nothing.
    NotificationCenter::defaultCenter().post(UIApplicationWillChangeStatusBarFrameNotification, nullptr,
                                             {{UIApplicationStatusBarFrameUserInfoKey, std::string("bad")}});
    EXPECT_EQ(strip->topBar()->frame(), CGRectMake(0, 0, 1024, 40));
}

TEST_F(StatusStripTest, DismissalReleasesTheBarUnlessShownAgainAndANewOneHasNoPairs)
{
    auto strip = StatusBarNotification::sharedInstance();
    strip->setOffLineStr("已连接");
    StatusBarNotification::showCustomStatus();
    auto bar = strip->topBar();
    StatusBarNotification::dismiss();
    StatusBarNotification::showCustomStatus(); // before the dismissal has finished
    clock.advance(1.0);
    EXPECT_EQ(strip->topBar(), bar); // the late end of the dismissal took nothing away
    EXPECT_EQ(text(1001), "已连接");

    StatusBarNotification::dismissAfter(1);
    clock.advance(0.5);
    EXPECT_TRUE(strip->isVisible());
    clock.advance(1.0); // the timer fires, then the 0.4-second slide out completes
    EXPECT_FALSE(strip->isVisible());
    EXPECT_FALSE(strip->hasOverlayWindow());
    strip->setProgress(0.5); // without a bar: ignored
    strip->showActivityIndicator(true, UIActivityIndicatorViewStyle::White);

    bar = StatusBarNotification::showCustomStatus();
    EXPECT_TRUE(strip->isVisible());
    EXPECT_EQ(bar->viewWithTag(1001), nullptr);
    EXPECT_EQ(strip->offLineLabel()->text(), "已连接");
}

TEST_F(StatusStripTest, BounceStyleRunsItsKeyframes)
{
    const auto offsets = StatusBarNotification::bounceOffsets();
    ASSERT_EQ(offsets.size(), 100u);
    EXPECT_NEAR(offsets.front(), -20 + 7.5625 * 0.0001 * 20, 1e-4);
    EXPECT_NEAR(offsets.back(), 0, 1e-4);
    EXPECT_GT(offsets[40], offsets[50]); // it bounces back up once it has landed

    auto strip = StatusBarNotification::sharedInstance();
    strip->addStyleNamed("bouncy", [](StatusBarStylePtr style) {
        style->animationType = StatusBarStyle::Bounce;
        return style;
    });
    auto bar = strip->showWithStatus(std::nullopt, std::string("bouncy"));
    auto animation = std::dynamic_pointer_cast<CAKeyframeAnimation>(bar->layer().animationForKey("StatusBarBounceAnimation"));
    ASSERT_TRUE(animation);
    EXPECT_EQ(animation->values.size(), 100u);
    EXPECT_DOUBLE_EQ(animation->duration, 0.66);
    clock.advance(0.7);
    EXPECT_TRUE(bar->layer().animationKeys().empty());
    EXPECT_EQ(bar->transform(), CGAffineTransformIdentity);
}

TEST_F(StatusStripTest, ScreenPictureShowsTheStripOverTheWindow)
{
    mainWindow->setBackgroundColor(UIColor::whiteColor());
    StatusBarNotification::sharedInstance()->setClerkStr("操作人：张三");
    // The link and the date come through the display the reply dispatcher writes to.
    auto& display = StatusStripConnectionDisplay::shared();
    display.setOffLineStr("已连接");
    display.setWifiStr("系统日期：2026-12-06");
    display.showCustomStatus();
    clock.advance(0.5);
    EXPECT_EQ(text(1001), "已连接");
    EXPECT_EQ(text(1004), "系统日期：2026-12-06");

    const auto path = screenPicturePath("status-strip").value_or(data.path() / "strip.png");
    ASSERT_TRUE(ViewRenderer::writeScreenPNG(path, 2));
    const auto picture = UIImage::imageWithContentsOfFile(path);
    ASSERT_TRUE(picture);
    // The black bar across the top, clear of icons and text, and the white window below it.
    for (int x : {20, 400, 1000, 2040}) {
        const auto p = picture->pixelAt(x, 2);
        EXPECT_EQ(std::tuple(p.red, p.green, p.alpha), std::tuple(0, 0, 255)) << x;
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
}
