#include "kit/AlertViewReplyAlertDisplay.h"
#include "kit/UIAlertViewQN.h"
#include "kit/UIColorQN.h"
#include "platform/ui/UIApplication.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

// A pair stops at its first non-digit, a pair that starts without one counts 0, missing pairs
// count 0, nothing past the end is read, and positions count characters, not bytes.
TEST(UIColorQN, ReadsThreeHexadecimalPairsAndOnlyWhatIsThere)
{
    const std::pair<const char*, std::array<int, 3>> rows[] = {
        {"CC3333", {204, 51, 51}},    {"ffffff", {255, 255, 255}}, {"cC3333AA", {204, 51, 51}},
        {"FG0000", {15, 0, 0}},       {"#CC333", {0, 0xC3, 0x33}}, {"0xFF00", {0, 255, 0}},
        {" F 0 1", {15, 0, 1}},       {"CC33", {204, 51, 0}},      {"C", {12, 0, 0}},
        {"", {0, 0, 0}},              {"中C3333", {0, 0x33, 0x33}}, {"\xff\xfe" "3333", {0, 0x33, 0x33}},
    };
    for (const auto& [text, rgb] : rows) {
        const auto color = UIColorQN::getColor(text);
        ASSERT_TRUE(color) << text;
        const auto c = color->rgba();
        EXPECT_EQ(std::make_tuple(c.red, c.green, c.blue, c.alpha),
                  std::make_tuple(rgb[0] / 255.0, rgb[1] / 255.0, rgb[2] / 255.0, 1.0)) << text;
    }
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

    EXPECT_EQ(UIAlertViewQN::setMsg(std::nullopt)->message(), std::nullopt);
    EXPECT_EQ(UIAlertViewQN::setMsg("")->message(), "");
}

// A venue's refusal reaches the clerk as an alert with the title, message and one button the
// dispatcher chose for it.
TEST(AlertViewReplyAlertDisplay, ShowsTheAlertItIsGiven)
{
    auto& app = UIApplication::sharedApplication();
    app.resetForTesting();
    AlertViewReplyAlertDisplay::shared().showAlert("提示信息", "工号不存在", "取消");
    const auto alert = app.topAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "提示信息");
    EXPECT_EQ(alert->message(), "工号不存在");
    EXPECT_EQ(alert->numberOfButtons(), 1);
    EXPECT_EQ(alert->buttonTitleAtIndex(0), "取消");
    app.resetForTesting();
}
