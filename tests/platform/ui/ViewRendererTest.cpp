#include "ApplicationFixture.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/ui/UIAlertView.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UIWindow.h"
#include "platform/ui/ViewRenderer.h"
#include "tests/support/TestEnvironment.h"

#include <functional>

namespace {
using RendererTest = ApplicationTest;

class CrossView : public UIView {
public:
    using UIView::UIView;
    void drawRect(const CGRect& rect) override
    {
        auto context = UIGraphicsGetCurrentContext();
        context->setFillColor(UIColor::blueColor());
        context->fillRect(CGRectMake(rect.origin.x - 50, rect.origin.y + 4, rect.size.width + 100, 2)); // overflows
    }
};
} // namespace

TEST_F(RendererTest, DrawsBackgroundsCornersBordersAlphaAndClipping)
{
    auto root = UIView::create(CGRectMake(0, 0, 100, 100));
    root->setBackgroundColor(UIColor::whiteColor());
    auto rounded = UIView::create(CGRectMake(10, 10, 40, 40));
    rounded->setBackgroundColor(UIColor::redColor());
    rounded->layer().cornerRadius = 10;
    rounded->layer().borderWidth = 2;
    rounded->layer().borderColor = UIColor::blackColor();
    auto faded = UIView::create(CGRectMake(60, 10, 30, 30));
    faded->setBackgroundColor(UIColor::blackColor());
    faded->setAlpha(0.5);
    auto hidden = UIView::create(CGRectMake(60, 60, 30, 30));
    hidden->setBackgroundColor(UIColor::blackColor());
    hidden->setHidden(true);
    auto clipping = UIView::create(CGRectMake(10, 60, 20, 20));
    clipping->setClipsToBounds(true);
    auto overflowing = UIView::create(CGRectMake(0, 0, 60, 10));
    overflowing->setBackgroundColor(UIColor::greenColor());
    clipping->addSubview(overflowing);
    auto custom = std::make_shared<CrossView>(CGRectMake(40, 60, 10, 10));
    for (const auto& v : {rounded, faded, hidden, clipping, std::static_pointer_cast<UIView>(custom)})
        root->addSubview(v);

    const auto image = ViewRenderer::render(*root, 2);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 200);
    const auto at = [&](double x, double y) { return image->pixelAt(int(x * 2), int(y * 2)); };
    EXPECT_EQ(at(30, 30).red, 255);
    EXPECT_EQ(at(30, 30).green, 0);
    EXPECT_EQ(at(11, 11).green, 255); // the rounded corner shows the white behind
    EXPECT_LT(at(30, 10.5).red, 40);  // the border runs over the edge
    EXPECT_NEAR(at(75, 25).red, 128, 2);
    EXPECT_EQ(at(75, 75).red, 255); // hidden: not drawn
    EXPECT_EQ(at(25, 65).green, 255);
    EXPECT_EQ(at(35, 65).red, 255); // the green child is clipped at x 30
    EXPECT_EQ(at(45, 65).blue, 255);
    EXPECT_EQ(at(55, 65).blue, 255); // drawRect content is clipped to its own bounds
    EXPECT_EQ(at(55, 65).red, 255);
}

TEST_F(RendererTest, ScreenShowsWindowsByLevelAndTheAlertInFront)
{
    auto lower = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    lower->setBackgroundColor(UIColor::blueColor());
    auto upper = UIWindow::create(CGRectMake(0, 0, 1024, 20));
    upper->setBackgroundColor(UIColor::greenColor());
    upper->setWindowLevel(UIWindowLevelStatusBar);
    upper->setHidden(false);
    lower->makeKeyAndVisible();
    auto screen = ViewRenderer::renderScreen();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->pixelWidth(), 1024);
    EXPECT_EQ(screen->pixelAt(500, 10).green, 255);
    EXPECT_EQ(screen->pixelAt(500, 400).blue, 255);

    auto alert = UIAlertView::create("提示", "message", {}, "确定");
    alert->show();
    screen = ViewRenderer::renderScreen();
    EXPECT_LT(screen->pixelAt(20, 400).blue, 200); // dimmed
    EXPECT_GT(screen->pixelAt(512, 384).red, 200); // the alert's pale box in the middle
}

// The screen's fingerprint changes with whatever would be drawn differently and with nothing
// else: a value set and set back, a colour made anew or a subview taken out and put back leave it.
TEST_F(RendererTest, ScreenFingerprintFollowsWhatIsDrawn)
{
    ManualMainClock time;
    auto window = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    window->makeKeyAndVisible();
    auto label = UILabel::create(CGRectMake(10, 10, 100, 20));
    auto picture = UIImageView::create(CGRectMake(10, 40, 20, 20));
    auto cross = std::make_shared<CrossView>(CGRectMake(10, 70, 20, 20));
    for (const auto& view : std::vector<UIViewPtr> {label, picture, cross})
        window->addSubview(view);
    const std::vector frames {UIImage::placeholder("a", {4, 4}), UIImage::placeholder("b", {4, 4}),
                              UIImage::placeholder("c", {4, 4})};
    const std::pair<const char*, std::function<void()>> same[] = {
        {"nothing", [] {}},
        {"text set and set back", [&] { label->setText("x"), label->setText(""); }},
        {"a colour made anew", [&] { window->setBackgroundColor(UIColor::colorWithWhite(0, 0)); }},
        {"a subview out and back", [&] { label->removeFromSuperview(), window->insertSubviewAtIndex(label, 0); }},
    };
    const std::pair<const char*, std::function<void()>> different[] = {
        {"text", [&] { label->setText("A02"); }},
        {"colour", [&] { label->setBackgroundColor(UIColor::redColor()); }},
        {"frame", [&] { cross->setFrame(CGRectMake(12, 70, 20, 20)); }},
        {"alpha", [&] { label->setAlpha(0.5); }},
        {"image", [&] { picture->setImage(frames[2]); }},
        {"a drawing asked for", [&] { cross->setNeedsDisplay(); }},
        {"hidden", [&] { cross->setHidden(true); }},
        {"a subview added", [&] { window->addSubview(UIView::create(CGRectMake(0, 0, 5, 5))); }},
        {"animation started", [&] { picture->setAnimationImages(frames), picture->setAnimationDuration(1), picture->startAnimating(); }},
        {"its next frame", [&] { time.advance(0.75); }},
        {"an alert", [&] { UIAlertView::create("提示", "m", {}, "确定")->show(); }},
        {"another message over it", [&] { UIAlertView::create("提示", "n", {}, "确定")->show(); }},
    };
    window->setBackgroundColor(UIColor::clearColor());
    std::uint64_t last = ViewRenderer::screenFingerprint();
    for (const auto& [change, apply] : same) {
        apply();
        EXPECT_EQ(ViewRenderer::screenFingerprint(), last) << change;
    }
    for (const auto& [change, apply] : different) {
        apply();
        const std::uint64_t now = ViewRenderer::screenFingerprint();
        EXPECT_NE(now, last) << change;
        last = now;
    }
}
