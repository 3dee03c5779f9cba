#include "ApplicationFixture.h"
#include "platform/ui/UIAlertView.h"
#include "tests/support/TestEnvironment.h"

namespace {
class Listener : public UIAlertViewDelegate {
public:
    std::vector<std::string> calls;
    int presented = 0;
    void didPresentAlertView(UIAlertView&) override { ++presented; }
    void alertViewClickedButtonAtIndex(UIAlertView& a, int i) override { calls.push_back(a.title() + " clicked " + std::to_string(i)); }
    void alertViewWillDismissWithButtonIndex(UIAlertView&, int i) override { calls.push_back("will dismiss " + std::to_string(i)); }
    void alertViewDidDismissWithButtonIndex(UIAlertView& a, int i) override
    {
        calls.push_back("did dismiss " + std::to_string(i) + (a.isVisible() ? " visible" : ""));
    }
};

using AlertTest = ApplicationTest;
} // namespace

TEST_F(AlertTest, ButtonsAndTheStackOfShownAlerts)
{
    auto& app = UIApplication::sharedApplication();
    auto listener = std::make_shared<Listener>();
    auto alert = UIAlertView::create("提示", "网络断开", listener, "取消", {"重试", "设置"});
    EXPECT_EQ(alert->numberOfButtons(), 3);
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    EXPECT_EQ(alert->firstOtherButtonIndex(), 1);
    EXPECT_EQ(alert->buttonTitleAtIndex(2), "设置");
    EXPECT_EQ(alert->buttonTitleAtIndex(3), std::nullopt);
    EXPECT_EQ(alert->addButtonWithTitle("更多"), 3);
    EXPECT_FALSE(alert->tapButtonAtIndex(0)); // not shown yet

    alert->show();
    auto second = UIAlertView::create("second", std::nullopt, {}, std::nullopt, {"ok"});
    EXPECT_EQ(second->cancelButtonIndex(), -1);
    EXPECT_EQ(second->firstOtherButtonIndex(), 0);
    second->show();
    second->show(); // once on the stack
    ASSERT_EQ(app.alerts().size(), 2u);
    EXPECT_EQ(app.topAlert(), second);

    EXPECT_FALSE(alert->tapButtonAtIndex(9));
    EXPECT_FALSE(alert->tapButtonAtIndex(-1));
    EXPECT_TRUE(listener->calls.empty());
    EXPECT_TRUE(alert->tapButtonAtIndex(1));
    EXPECT_EQ(listener->calls, (std::vector<std::string> {"提示 clicked 1", "will dismiss 1", "did dismiss 1"}));
    EXPECT_EQ(app.topAlert(), second);
    EXPECT_TRUE(second->tapButtonAtIndex(0)); // no delegate: just goes away
    EXPECT_TRUE(app.alerts().empty());
}

TEST_F(AlertTest, DelegateIsNotKeptAlive)
{
    auto listener = std::make_shared<Listener>();
    std::weak_ptr<Listener> weak = listener;
    auto alert = UIAlertView::create("t", "m", listener, "确定");
    alert->show();
    listener.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(alert->tapButtonAtIndex(0)); // a delegate that is gone is simply not told

    // The stack may hold the last reference; a tap must not pull the alert out from under itself.
    UIAlertView* raw = nullptr;
    {
        auto shortLived = UIAlertView::create("x", std::nullopt, {}, "确定");
        shortLived->show();
        raw = shortLived.get();
    }
    EXPECT_TRUE(raw->tapButtonAtIndex(0));
    EXPECT_TRUE(UIApplication::sharedApplication().alerts().empty());
}

// An alert is the same as one up only in all of its texts, tag and delegate; one turned away
// tells its delegate nothing, and its log line keeps a long message's start, cut between characters.
TEST_F(AlertTest, AlertsTurnedAwayAreTheSameOrPastTheBound)
{
    LogCapture log;
    auto listener = std::make_shared<Listener>();
    const auto show = [&](const std::string& message, int tag, const std::shared_ptr<Listener>& delegate) {
        auto alert = UIAlertView::create("提示", message, delegate, "确定");
        alert->setTag(tag);
        alert->show();
        return alert->isVisible();
    };
    EXPECT_TRUE(show("a", 0, listener));
    EXPECT_FALSE(show("a", 0, listener));
    EXPECT_TRUE(show("a", 0, nullptr));
    EXPECT_TRUE(show("a", 1, listener));
    EXPECT_TRUE(show("b", 0, nullptr));
    std::string wide = "x";
    for (int i = 0; i < 100000; ++i)
        wide += "测"; // three bytes each: the 120th byte falls inside one
    EXPECT_FALSE(show(wide, 0, listener));
    EXPECT_EQ(listener->presented, 2);
    EXPECT_EQ(log.lines(), (std::vector<std::string> {"alert not shown, the same is up: 提示: a",
                                                      "alert not shown, " + std::to_string(UIApplication::MaxAlerts)
                                                          + " alerts are up: 提示: " + wide.substr(0, 1 + 3 * 39) + "..."}));
}
