#include "ApplicationFixture.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/ui/UIAlertView.h"
#include "platform/ui/UIWindow.h"
#include "platform/ui/ViewRenderer.h"

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
