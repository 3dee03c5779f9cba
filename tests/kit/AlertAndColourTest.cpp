#include "kit/UIAlertViewQN.h"
#include "kit/UIColorQN.h"
#include "platform/ui/UIApplication.h"

#include <gtest/gtest.h>

namespace {
void expectRGB(const UIColorPtr& color, double r, double g, double b)
{
    ASSERT_TRUE(color);
    const auto c = color->rgba();
    EXPECT_DOUBLE_EQ(c.red, r / 255.0);
    EXPECT_DOUBLE_EQ(c.green, g / 255.0);
    EXPECT_DOUBLE_EQ(c.blue, b / 255.0);
    EXPECT_DOUBLE_EQ(c.alpha, 1.0);
}
} // namespace

TEST(UIColorQN, ReadsThreeHexadecimalPairs)
{
    expectRGB(UIColorQN::getColor("CC3333"), 204, 51, 51);
    expectRGB(UIColorQN::getColor("000000"), 0, 0, 0);
    expectRGB(UIColorQN::getColor("FFFFFF"), 255, 255, 255);
    expectRGB(UIColorQN::getColor("ffffff"), 255, 255, 255);
    expectRGB(UIColorQN::getColor("cC3333AA"), 204, 51, 51); // later characters ignored, alpha stays 1
    EXPECT_EQ(UIColorQN::getColor("CC3333")->model(), UIColor::Model::RGB);
}

TEST(UIColorQN, MalformedTextReadsOnlyWhatIsThere)
{
    // A pair stops at its first non-digit; a pair that starts without one counts 0.
    expectRGB(UIColorQN::getColor("FG0000"), 15, 0, 0);
    expectRGB(UIColorQN::getColor("#CC333"), 0, 0xC3, 0x33);
    expectRGB(UIColorQN::getColor("0xFF00"), 0, 255, 0); // no prefix handling: "0x" is the red pair
    expectRGB(UIColorQN::getColor(" F 0 1"), 15, 0, 1); // white space before a digit is skipped
    // Short text: the missing pairs count 0 and nothing past the end is read.
    expectRGB(UIColorQN::getColor("CC33"), 204, 51, 0);
    expectRGB(UIColorQN::getColor("C"), 12, 0, 0);
    expectRGB(UIColorQN::getColor(""), 0, 0, 0);
    // Positions count characters, not bytes.
    expectRGB(UIColorQN::getColor("中C3333"), 0, 0x33, 0x33);
    expectRGB(UIColorQN::getColor("\xff\xfe" "3333"), 0, 0x33, 0x33);
}

TEST(UIAlertViewQN, BuildsAnUnshownOneButtonNotice)
{
    auto& app = UIApplication::sharedApplication();
    app.resetForTesting();
    auto alert = UIAlertViewQN::setMsg("网络连接失败");
    EXPECT_FALSE(alert->isVisible());
    EXPECT_TRUE(app.alerts().empty());
    EXPECT_EQ(alert->title(), "提示");
    EXPECT_EQ(alert->message(), "网络连接失败");
    EXPECT_EQ(alert->numberOfButtons(), 1);
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "确定");

    alert->show();
    EXPECT_EQ(app.topAlert(), alert);
    EXPECT_TRUE(alert->tapButtonAtIndex(0)); // dismissed, nobody told
    EXPECT_TRUE(app.alerts().empty());

    EXPECT_EQ(UIAlertViewQN::setMsg(std::nullopt)->message(), std::nullopt);
    EXPECT_EQ(UIAlertViewQN::setMsg("")->message(), "");
}
