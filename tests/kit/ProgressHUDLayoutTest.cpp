#include "kit/ProgressHUD.h"
#include "platform/ui/ViewRenderer.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

ProgressHUDPtr laidOut(CGRect over, std::optional<std::string> label, std::optional<std::string> details = {})
{
    auto hud = ProgressHUD::createWithView(UIView::create(over));
    hud->setLabelText(std::move(label));
    hud->setDetailsLabelText(std::move(details));
    hud->layoutIfNeeded();
    return hud;
}

} // namespace

// Text sizes follow the fixed metric: a CJK character is one em wide, other characters half an
// em, and a line is 1.2 em high. The label font is bold 16, the details font bold 12.

TEST(ProgressHUDLayout, TextsStackUnderTheSpinnerAndUnsetTextsTakeTheirLabelsAway)
{
    ManualMainClock clock;
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

TEST(ProgressHUDLayout, NarrowViewCutsTheLabelAndWrapsTheDetails)
{
    ManualMainClock clock;
    auto hud = laidOut(CGRectMake(0, 0, 200, 300), "上传图片中,请耐心等候...", "请稍候，正在与服务器通讯中");
    // The label (192 wide) is cut to 200 - 4 × 20; the box grows to that plus the margins.
    EXPECT_NEAR(hud->label()->frame().size.width, 120, 1e-9);
    EXPECT_EQ(hud->label()->frame().origin.x, 40);
    EXPECT_FLOAT_EQ(hud->width(), 160);
    // 13 characters of 12 points wrap at 120 points into lines of 10 and 3.
    EXPECT_NEAR(hud->detailsLabel()->frame().size.width, 120, 1e-9);
    EXPECT_NEAR(hud->detailsLabel()->frame().size.height, 28.8, 1e-9);
}

TEST(ProgressHUDLayout, SquareMinimumSizeAndOffsets)
{
    ManualMainClock clock;
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

TEST(ProgressHUDLayout, DrawsARoundedTranslucentBoxAndAnOptionalShade)
{
    ManualMainClock clock;
    auto screen = UIView::create(CGRectMake(0, 0, 1024, 768));
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
    const int corner = picture->pixelAt(5, 5).alpha;
    EXPECT_NEAR(corner, 0.75 * 255 * 633.0 / 768, 6);
    const int nearCentre = picture->pixelAt(512, 200).alpha;
    EXPECT_NEAR(nearCentre, 0.75 * 255 * 184.0 / 768, 6);
}
