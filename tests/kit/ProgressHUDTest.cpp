#include "kit/ProgressHUD.h"
#include "kit/ProgressHUDViewIsNillException.h"
#include "kit/RoundProgressView.h"
#include "kit/SystemNotificationNames.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/UIActivityIndicatorView.h"
#include "platform/ui/ViewRenderer.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

struct CountingDelegate : ProgressHUDDelegate {
    int withHud = 0;
    int plain = 0;
    bool answersWithHud = true;
    bool hudWasHidden(ProgressHUD&) override
    {
        if (answersWithHud)
            ++withHud;
        return answersWithHud;
    }
    bool hudWasHidden() override
    {
        ++plain;
        return true;
    }
    int total() const { return withHud + plain; }
};

ProgressHUDPtr laidOut(CGRect over, std::optional<std::string> label, std::optional<std::string> details = {})
{
    auto hud = ProgressHUD::createWithView(UIView::create(over));
    hud->setLabelText(std::move(label));
    hud->setDetailsLabelText(std::move(details));
    hud->layoutIfNeeded();
    return hud;
}

std::size_t orientationObservers()
{
    return NotificationCenter::defaultCenter().observerCount(SystemNotificationNames::DeviceOrientationDidChange);
}

class ProgressHUDTest : public ::testing::Test {
protected:
    ManualMainClock clock;
    UIViewPtr screen = UIView::create(CGRectMake(0, 0, 1024, 768));
    std::shared_ptr<CountingDelegate> delegate = std::make_shared<CountingDelegate>();

    // An indicator shown at once over the screen, reporting to the delegate.
    ProgressHUDPtr shown()
    {
        auto hud = ProgressHUD::showHUDAddedTo(screen, false);
        hud->setDelegate(delegate);
        return hud;
    }
};

} // namespace

TEST_F(ProgressHUDTest, NewIndicatorCoversTheViewInvisiblyWithASpinnerAndModesRebuildIt)
{
    EXPECT_THROW((void)ProgressHUD::createWithView(nullptr), ProgressHUDViewIsNillException);
    EXPECT_THROW((void)ProgressHUD::showHUDAddedTo(nullptr, false), ProgressHUDViewIsNillException);

    auto hud = ProgressHUD::createWithView(screen);
    EXPECT_EQ(hud->frame(), screen->bounds());
    EXPECT_EQ(hud->alpha(), 0);
    auto spinner = std::dynamic_pointer_cast<UIActivityIndicatorView>(hud->indicator());
    ASSERT_TRUE(spinner);
    EXPECT_TRUE(spinner->isAnimating());
    EXPECT_EQ(spinner->superview(), hud.get());
    hud->setMode(ProgressHUD::Indeterminate);
    EXPECT_NE(hud->indicator(), spinner) << "mode 0 over mode 0 makes a new spinner";
    EXPECT_EQ(spinner->superview(), nullptr);

    hud->setProgress(0.6f);
    hud->setMode(ProgressHUD::Determinate);
    auto gauge = std::dynamic_pointer_cast<RoundProgressView>(hud->indicator());
    ASSERT_TRUE(gauge);
    EXPECT_EQ(gauge->progress(), 0) << "a new gauge waits for the next progress";
    hud->setProgress(0.3f);
    EXPECT_FLOAT_EQ(gauge->progress(), 0.3f);
    hud->setMode(ProgressHUD::Determinate);
    EXPECT_EQ(hud->indicator(), gauge) << "the same mode twice keeps the gauge";

    hud->setMode(ProgressHUD::CustomView);
    EXPECT_TRUE(std::dynamic_pointer_cast<UIActivityIndicatorView>(hud->indicator())) << "no custom view: spinner";
    EXPECT_EQ(gauge->superview(), nullptr);

    auto mine = UIView::create(CGRectMake(0, 0, 50, 40));
    hud->setCustomView(mine);
    hud->setMode(ProgressHUD::Indeterminate);
    hud->setMode(ProgressHUD::CustomView);
    EXPECT_EQ(hud->indicator(), mine);
    EXPECT_EQ(mine->superview(), hud.get());

    hud->setMode(7);
    EXPECT_TRUE(std::dynamic_pointer_cast<UIActivityIndicatorView>(hud->indicator())) << "unknown mode: spinner";
    EXPECT_EQ(mine->superview(), nullptr);
}

TEST_F(ProgressHUDTest, HideForViewPicksTheLastIndicatorAndRemovesItWithItsObserver)
{
    EXPECT_FALSE(ProgressHUD::hideHUDForView(screen, true));
    EXPECT_FALSE(ProgressHUD::hideHUDForView(nullptr, true));

    const std::size_t before = orientationObservers();
    auto first = ProgressHUD::showHUDAddedTo(screen, false);
    screen->addSubview(UIView::create(CGRectMake(0, 0, 10, 10)));
    auto second = ProgressHUD::showHUDAddedTo(screen, true);
    EXPECT_EQ(orientationObservers(), before + 2);
    EXPECT_EQ(first->alpha(), 1);
    EXPECT_EQ(second->alpha(), 1);

    EXPECT_TRUE(ProgressHUD::hideHUDForView(screen, true));
    EXPECT_TRUE(second->removeFromSuperViewOnHide());
    EXPECT_FALSE(first->removeFromSuperViewOnHide());
    EXPECT_EQ(second->superview(), screen.get()) << "still fading";
    clock.advance(0.35);
    EXPECT_EQ(second->superview(), nullptr);
    EXPECT_TRUE(second->isFinished());
    EXPECT_FALSE(second->observesDeviceOrientation());
    EXPECT_EQ(first->superview(), screen.get());
    EXPECT_EQ(orientationObservers(), before + 1);

    // An indicator that is dropped takes its observer with it.
    first->removeFromSuperview();
    first.reset();
    second.reset();
    EXPECT_EQ(orientationObservers(), before);
    NotificationCenter::defaultCenter().post(SystemNotificationNames::DeviceOrientationDidChange);
}

TEST_F(ProgressHUDTest, GraceTimeShowsOnlyARunningTaskThatOutlastsIt)
{
    auto hud = ProgressHUD::showHUDAddedTo(screen, false);
    hud->hide(false);
    hud->setGraceTime(0.5);
    hud->show(false);
    clock.advance(2);
    EXPECT_EQ(hud->alpha(), 0) << "a plain show with a grace time never shows";

    hud->setTaskInProgress(true);
    hud->show(false);
    clock.advance(0.4);
    EXPECT_EQ(hud->alpha(), 0);
    clock.advance(0.2);
    EXPECT_EQ(hud->alpha(), 1);

    // A task that ends within the grace time never shows.
    hud->setDelegate(delegate);
    hud->hide(false);
    hud->show(false);
    clock.advance(0.2);
    hud->hide(false);
    EXPECT_EQ(delegate->total(), 2);
    clock.advance(1);
    EXPECT_EQ(hud->alpha(), 0) << "the grace timer went with the hide";
    EXPECT_EQ(delegate->total(), 2);
}

TEST_F(ProgressHUDTest, MinimumShowTimeDelaysTheHide)
{
    auto hud = shown();
    hud->setMinShowTime(2);
    hud->show(false);
    clock.advance(0.5);
    hud->hide(false);
    EXPECT_EQ(hud->alpha(), 1);
    clock.advance(1.4);
    EXPECT_EQ(hud->alpha(), 1);
    EXPECT_EQ(delegate->total(), 0);
    clock.advance(0.2);
    EXPECT_EQ(hud->alpha(), 0);
    EXPECT_EQ(delegate->withHud, 1);

    // Shown long enough, a hide acts at once.
    hud->show(false);
    clock.advance(2.5);
    hud->hide(false);
    EXPECT_EQ(hud->alpha(), 0);
    EXPECT_EQ(delegate->withHud, 2);
}

TEST_F(ProgressHUDTest, ShowDropsThePendingHidesOfTheCycleBefore)
{
    auto hud = shown();

    hud->hideAfterDelay(false, 1);
    hud->show(false);
    clock.advance(2);
    EXPECT_EQ(hud->alpha(), 1) << "the delayed hide belonged to the earlier show";

    hud->setMinShowTime(3);
    hud->show(false);
    hud->hide(false);
    hud->show(false);
    clock.advance(4);
    EXPECT_EQ(hud->alpha(), 1) << "the minimum-show timer belonged to the earlier show";

    hud->setMinShowTime(0);
    hud->hide(true);
    clock.advance(0.1);
    hud->show(true);
    clock.advance(1);
    EXPECT_EQ(hud->alpha(), 1) << "the fade-out of the earlier show does not finish this one";
    EXPECT_EQ(delegate->total(), 0);

    // Hiding twice tells the delegate once.
    hud->hide(true);
    hud->hide(true);
    clock.advance(1);
    hud->hide(false);
    EXPECT_EQ(delegate->total(), 1);
    EXPECT_EQ(hud->alpha(), 0);
}

TEST_F(ProgressHUDTest, DelegateHearsThePlainFormOnlyWhenTheOtherIsNotAnswered)
{
    auto hud = shown();
    hud->hide(false);
    EXPECT_EQ(delegate->withHud, 1);
    EXPECT_EQ(delegate->plain, 0);

    delegate->answersWithHud = false;
    hud->show(false);
    hud->hide(false);
    EXPECT_EQ(delegate->plain, 1);

    // The delegate is not owned.
    std::weak_ptr<CountingDelegate> weak = delegate;
    delegate.reset();
    EXPECT_TRUE(weak.expired());
    hud->show(false);
    hud->hide(false);
    EXPECT_TRUE(hud->isFinished());
}

TEST_F(ProgressHUDTest, ZoomAnimationScalesAroundTheRotation)
{
    auto hud = ProgressHUD::createWithView(screen);
    screen->addSubview(hud);
    hud->setAnimationType(ProgressHUD::Zoom);
    hud->show(true);
    EXPECT_EQ(hud->transform(), CGAffineTransformIdentity);
    hud->hide(true);
    EXPECT_DOUBLE_EQ(hud->transform().a, 0.5);
    EXPECT_DOUBLE_EQ(hud->alpha(), 0.02);
    clock.advance(0.35);
    EXPECT_EQ(hud->alpha(), 0);
}

TEST_F(ProgressHUDTest, SettersFromAnotherThreadArriveOnTheMainLoopInOrder)
{
    auto hud = ProgressHUD::createWithView(screen);
    std::thread worker([hud] {
        hud->setMode(ProgressHUD::Determinate);
        hud->setProgress(0.75f);
        hud->setLabelText("上传图片中,请耐心等候...");
        hud->setDetailsLabelText("第1张");
    });
    worker.join();
    EXPECT_EQ(hud->mode(), ProgressHUD::Indeterminate);
    EXPECT_FALSE(hud->labelText());
    clock.advance(0);
    auto gauge = std::dynamic_pointer_cast<RoundProgressView>(hud->indicator());
    ASSERT_TRUE(gauge);
    EXPECT_FLOAT_EQ(gauge->progress(), 0.75f);
    EXPECT_EQ(hud->labelText(), "上传图片中,请耐心等候...");
    EXPECT_EQ(hud->detailsLabelText(), "第1张");

    // Work queued for an indicator that is gone by the time the loop runs is dropped.
    std::thread late([raw = hud.get()] { raw->setLabelText("gone"); });
    late.join();
    std::weak_ptr<ProgressHUD> weak = hud;
    hud.reset();
    EXPECT_TRUE(weak.expired());
    clock.advance(0);
}

TEST_F(ProgressHUDTest, TaskRunsOffTheMainThreadAndHidesWhenItEnds)
{
    auto hud = ProgressHUD::createWithView(screen);
    screen->addSubview(hud);
    hud->setDelegate(delegate);
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> ranElsewhere {false};
    hud->showWhileExecuting([&] { ranElsewhere = std::this_thread::get_id() != mainThread; }, false);
    EXPECT_TRUE(hud->taskInProgress());
    EXPECT_EQ(hud->alpha(), 1);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return delegate->total() == 1; }, 5));
    EXPECT_TRUE(ranElsewhere);
    EXPECT_FALSE(hud->taskInProgress());
    EXPECT_EQ(hud->alpha(), 0);
    // The indicator still knows its spinner, so a new mode replaces it instead of adding a gauge.
    hud->setMode(ProgressHUD::Determinate);
    EXPECT_EQ(hud->subviews().size(), 1u);
}

TEST_F(ProgressHUDTest, OrientationTurnsAWindowIndicatorAndResizesAViewOne)
{
    auto window = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    auto overWindow = ProgressHUD::createWithWindow(window);
    // The status bar starts in landscape right: a quarter turn, with width and height exchanged.
    EXPECT_EQ(overWindow->bounds(), CGRectMake(0, 0, 768, 1024));
    EXPECT_NEAR(overWindow->rotationTransform().b, 1, 1e-6);

    auto overView = ProgressHUD::createWithView(screen);
    screen->addSubview(overView);
    screen->setBounds(CGRectMake(0, 0, 768, 1024));
    overView->setBounds(CGRectMake(0, 0, 10, 10));
    NotificationCenter::defaultCenter().post(SystemNotificationNames::DeviceOrientationDidChange);
    EXPECT_EQ(overView->bounds(), screen->bounds());
    EXPECT_EQ(overView->transform(), CGAffineTransformIdentity);
}

// Text sizes follow the fixed metric: a CJK character is one em wide, other characters half an
// em, and a line is 1.2 em high. The label font is bold 16, the details font bold 12.

TEST_F(ProgressHUDTest, LayoutTextsStackUnderTheSpinnerAndUnsetTextsTakeTheirLabelsAway)
{
    auto hud = laidOut(CGRectMake(0, 0, 1024, 768), "数据加载中...");
    // Label 5 × 16 + 3 × 8 = 104 wide, 19.2 high; spinner 37 square; margin 20.
    EXPECT_FLOAT_EQ(hud->width(), 144);
    EXPECT_FLOAT_EQ(hud->height(), 77 + 19.2f + 4);
    EXPECT_EQ(hud->indicator()->frame(), CGRectMake(493, 365 - 11, 37, 37));
    EXPECT_EQ(hud->label()->superview(), hud.get());
    EXPECT_EQ(hud->label()->frame().origin, CGPointMake(460, 395));
    EXPECT_NEAR(hud->label()->frame().size.width, 104, 1e-9);
    EXPECT_EQ(hud->detailsLabel()->superview(), nullptr);

    // Details lift the label and spinner.
    hud->setDetailsLabelText("请勿关闭本页面");
    hud->layoutIfNeeded();
    EXPECT_FLOAT_EQ(hud->height(), 77 + 19.2f + 4 + 14.4f + 4);
    EXPECT_EQ(hud->indicator()->frame().origin.y, 354 - 9);
    EXPECT_EQ(hud->label()->frame().origin.y, 395 - 9);
    const CGRect details = hud->detailsLabel()->frame();
    EXPECT_EQ(details.origin.x, 470);
    EXPECT_NEAR(details.origin.y, 386 + 19.2 + 4, 1e-5) << "the details label is not rounded";
    EXPECT_NEAR(details.size.width, 84, 1e-9);
    EXPECT_EQ(hud->detailsLabel()->numberOfLines(), 0);

    // Unset texts take their labels away.
    hud->setDetailsLabelText(std::nullopt);
    hud->layoutIfNeeded();
    EXPECT_EQ(hud->detailsLabel()->superview(), nullptr);
    EXPECT_EQ(hud->label()->superview(), hud.get());
    hud->setDetailsLabelText("请勿关闭本页面");
    hud->setLabelText(std::nullopt);
    hud->layoutIfNeeded();
    EXPECT_EQ(hud->label()->superview(), nullptr);
    EXPECT_EQ(hud->detailsLabel()->superview(), nullptr) << "details only show under a label";
    EXPECT_FLOAT_EQ(hud->height(), 77);
    EXPECT_EQ(hud->indicator()->frame().origin.y, 365);
}

TEST_F(ProgressHUDTest, LayoutNarrowViewCutsTheLabelAndWrapsTheDetails)
{
    auto hud = laidOut(CGRectMake(0, 0, 200, 300), "上传图片中,请耐心等候...", "请稍候，正在与服务器通讯中");
    // The label (192 wide) is cut to 200 - 4 × 20; the box grows to that plus the margins.
    EXPECT_NEAR(hud->label()->frame().size.width, 120, 1e-9);
    EXPECT_EQ(hud->label()->frame().origin.x, 40);
    EXPECT_FLOAT_EQ(hud->width(), 160);
    // 13 characters of 12 points wrap at 120 points into lines of 10 and 3.
    EXPECT_NEAR(hud->detailsLabel()->frame().size.width, 120, 1e-9);
    EXPECT_NEAR(hud->detailsLabel()->frame().size.height, 28.8, 1e-9);
}

TEST_F(ProgressHUDTest, LayoutSquareMinimumSizeAndOffsets)
{
    auto hud = laidOut(CGRectMake(0, 0, 1024, 768), "数据加载中...");
    hud->setSquare(true);
    hud->setXOffset(10);
    hud->setYOffset(-20);
    hud->setNeedsLayout();
    hud->layoutIfNeeded();
    EXPECT_FLOAT_EQ(hud->width(), 144);
    EXPECT_FLOAT_EQ(hud->height(), 144);
    EXPECT_EQ(hud->indicator()->frame().origin, CGPointMake(503, 334));

    hud->setSquare(false);
    hud->setMinSize(CGSizeMake(200, 50));
    hud->setNeedsLayout();
    hud->layoutIfNeeded();
    EXPECT_FLOAT_EQ(hud->width(), 200);
    EXPECT_FLOAT_EQ(hud->height(), 100.2f);

    // Too small a view to square the box in leaves it as it is.
    auto tiny = laidOut(CGRectMake(0, 0, 100, 100), std::nullopt);
    tiny->setSquare(true);
    tiny->setMargin(30);
    tiny->setNeedsLayout();
    tiny->layoutIfNeeded();
    EXPECT_FLOAT_EQ(tiny->width(), 97);
}

TEST_F(ProgressHUDTest, LayoutDrawsARoundedTranslucentBoxAndAnOptionalShade)
{
    auto hud = ProgressHUD::showHUDAddedTo(screen, false);
    hud->setLabelText("数据加载中...");
    auto picture = ViewRenderer::render(*hud, 1);
    ASSERT_TRUE(picture);
    // Box 144 × 100.2 at (440, 334), rounded to whole points.
    const auto inside = picture->pixelAt(445, 384);
    EXPECT_NEAR(inside.alpha, 204, 2);
    EXPECT_EQ(inside.red, 0);
    EXPECT_EQ(picture->pixelAt(435, 384).alpha, 0);
    EXPECT_LT(picture->pixelAt(440, 334).alpha, 60) << "rounded corner";
    EXPECT_EQ(picture->pixelAt(5, 5).alpha, 0);

    hud->setDimBackground(true);
    picture = ViewRenderer::render(*hud, 1);
    ASSERT_TRUE(picture);
    // Shade alpha grows from 0 at the centre to 0.75 at the shorter side's length from it.
    EXPECT_NEAR(picture->pixelAt(5, 5).alpha, 0.75 * 255 * 633.0 / 768, 6);
    EXPECT_NEAR(picture->pixelAt(512, 200).alpha, 0.75 * 255 * 184.0 / 768, 6);
}
