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
// tells its delegate nothing, and its log line keeps a long message's start, cut between
// characters. However many are up, an alert of the user's own is never turned away for that.
TEST_F(AlertTest, OnlyAnAlertTheSameAsOneUpIsTurnedAway)
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
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(show("b" + std::to_string(i), 0, nullptr));
    std::string wide = "x";
    for (int i = 0; i < 100000; ++i)
        wide += "测"; // three bytes each: the 120th byte falls inside one
    EXPECT_TRUE(show(wide, 0, listener));
    EXPECT_FALSE(show(wide, 0, listener));
    EXPECT_EQ(listener->presented, 3);
    EXPECT_EQ(UIApplication::sharedApplication().alerts().size(), 16u);
    EXPECT_EQ(log.lines(), (std::vector<std::string> {"alert not shown, the same is up: 提示: a",
                                                      "alert not shown, the same is up: 提示: " + wide.substr(0, 1 + 3 * 39) + "..."}));
}

// Alerts raised of what a peer sent unasked take one place between them: the first shows and
// then speaks for the rest with the latest text and a count, repeats included, and one tap takes
// them all away. Those folded in are never shown, so their delegates hear nothing; alerts of the
// user's own still show, in front, while they fold.
TEST_F(AlertTest, UnaskedAlertsFoldIntoOneThatCountsThem)
{
    LogCapture log;
    auto& app = UIApplication::sharedApplication();
    auto first = std::make_shared<Listener>();
    auto folded = std::make_shared<Listener>();
    EXPECT_FALSE(app.setRaisingUnaskedAlerts(true));
    auto fold = UIAlertView::create("提示", "工号无效", first, "取消");
    fold->show();
    for (const char* message : {"密码错误", "密码错误", "房台已结账"}) {
        auto alert = UIAlertView::create("提示信息", std::string(message), folded, "确定");
        alert->show();
        EXPECT_FALSE(alert->isVisible());
    }
    EXPECT_EQ(fold->title(), "提示信息");
    EXPECT_EQ(fold->message(), "房台已结账\n（共 4 条）");
    EXPECT_TRUE(app.setRaisingUnaskedAlerts(false));
    auto own = UIAlertView::create("提示", "付款码无效", {}, "确定"); // the user's own, raised meanwhile
    own->show();
    app.setRaisingUnaskedAlerts(true);
    UIAlertView::create("提示", std::nullopt, folded, "确定")->show();
    app.setRaisingUnaskedAlerts(false);

    ASSERT_EQ(app.alerts().size(), 2u);
    EXPECT_EQ(app.topAlert(), own);
    EXPECT_EQ(app.unaskedAlert(), fold);
    EXPECT_EQ(app.unaskedAlertCount(), 5u);
    EXPECT_EQ(fold->title(), "提示");
    EXPECT_EQ(fold->message(), "（共 5 条）");
    EXPECT_EQ(folded->presented, 0);
    EXPECT_TRUE(log.lines().empty());

    ASSERT_TRUE(fold->tapButtonAtIndex(0));
    EXPECT_EQ(first->calls, (std::vector<std::string> {"提示 clicked 0", "will dismiss 0", "did dismiss 0"}));
    EXPECT_TRUE(folded->calls.empty());
    EXPECT_EQ(app.alerts(), (std::vector<std::shared_ptr<UIAlertView>> {own}));
    EXPECT_EQ(app.unaskedAlertCount(), 0u);
    EXPECT_EQ(log.lines(), (std::vector<std::string> {"5 alerts nobody asked for were taken away together, the last: 提示: （共 5 条）"}));

    // The next one nobody asked for shows as itself again.
    app.setRaisingUnaskedAlerts(true);
    auto next = UIAlertView::create("提示", "房台号无效", {}, "确定");
    next->show();
    EXPECT_TRUE(next->isVisible());
    EXPECT_EQ(next->message(), "房台号无效");
    EXPECT_EQ(app.unaskedAlertCount(), 1u);
}
