#include "ApplicationFixture.h"
#include "platform/ui/UIAlertView.h"

namespace {
class Listener : public UIAlertViewDelegate {
public:
    std::vector<std::string> calls;
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
