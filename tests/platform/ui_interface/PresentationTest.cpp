#include "InterfaceTestSupport.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ScreenInFront.h"
#include "platform/ui/UINavigationController.h"

namespace {
class PresentationTest : public InterfaceTest {};
} // namespace

TEST_F(PresentationTest, PresentingCoversTheScreenWithWillCallsNowAndDidCallsLater)
{
    auto floor = shownScreen("floor");
    auto bill = screen("bill");
    bool completed = false;

    floor->presentViewController(bill, true, [&] { completed = true; });
    EXPECT_EQ(calls, (Log {"floor will disappear", "bill load", "bill will appear"}));
    EXPECT_EQ(bill->view()->superview(), window.get());
    EXPECT_EQ(bill->view()->frame(), window->bounds());
    EXPECT_EQ(floor->presentedViewController(), bill);
    EXPECT_EQ(bill->presentingViewController(), floor);

    clock.advance(UIViewController::TransitionDuration / 2);
    EXPECT_FALSE(completed); // an animated transition takes its time
    clock.advance(UIViewController::TransitionDuration);
    EXPECT_TRUE(completed);
    EXPECT_EQ(calls, (Log {"floor will disappear", "bill load", "bill will appear", "floor did disappear",
                           "bill did appear"}));
}

TEST_F(PresentationTest, DismissingUncoversThePresenterFromEitherSide)
{
    auto floor = shownScreen("floor");
    for (bool askPresented : {true, false}) {
        auto bill = screen("bill");
        floor->presentViewController(bill, false);
        settle();
        calls.clear();
        int completions = 0;
        (askPresented ? bill : floor)->dismissViewControllerAnimated(true, [&] { ++completions; });
        EXPECT_EQ(calls, (Log {"bill will disappear", "floor will appear"}));
        EXPECT_EQ(bill->view()->superview(), nullptr);
        EXPECT_EQ(floor->presentedViewController(), nullptr);
        EXPECT_EQ(bill->presentingViewController(), nullptr);
        settle();
        EXPECT_EQ(calls, (Log {"bill will disappear", "floor will appear", "bill did disappear", "floor did appear"}));
        EXPECT_EQ(completions, 1);
    }
}

TEST_F(PresentationTest, DismissingFromTheBottomTakesAwayAWholeChain)
{
    auto floor = shownScreen("floor");
    auto gift = screen("gift");
    auto floor2 = screen("floor2");
    floor->presentViewController(gift, false);
    settle();
    gift->presentViewController(floor2, false);
    settle();
    EXPECT_EQ(ScreenInFront::controller(), floor2);
    calls.clear();

    floor->dismissViewControllerAnimated(false);
    settle();
    // Only the top screen was on view; the one between was already covered.
    EXPECT_EQ(calls, (Log {"floor2 will disappear", "floor will appear", "floor2 did disappear", "floor did appear"}));
    EXPECT_EQ(gift->presentedViewController(), nullptr);
    EXPECT_EQ(gift->view()->superview(), nullptr);
    EXPECT_EQ(ScreenInFront::controller(), floor);
}

TEST_F(PresentationTest, RefusedPresentationsChangeNothingAndSaySo)
{
    auto offscreen = screen("offscreen");
    auto bill = screen("bill");
    offscreen->presentViewController(bill, false);
    EXPECT_TRUE(log.contains("not in the window hierarchy"));
    EXPECT_EQ(offscreen->presentedViewController(), nullptr);

    auto floor = shownScreen("floor");
    floor->presentViewController(nullptr, false);
    floor->presentViewController(floor, false);
    EXPECT_EQ(floor->presentedViewController(), nullptr);

    floor->presentViewController(bill, false);
    auto other = screen("other");
    floor->presentViewController(other, false);
    EXPECT_TRUE(log.contains("already presenting"));
    EXPECT_EQ(floor->presentedViewController(), bill);
    EXPECT_FALSE(other->isViewLoaded());

    // Nothing presented, nothing presenting: a dismissal does nothing, and calls nothing.
    bool called = false;
    other->dismissViewControllerAnimated(false, [&] { called = true; });
    settle();
    EXPECT_FALSE(called);
    EXPECT_EQ(floor->presentedViewController(), bill);
}

TEST_F(PresentationTest, AScreenInsideANavigationControllerPresentsOverAllOfItAndIsAnnouncedWhenInFront)
{
    auto start = screen("start");
    auto navigation = UINavigationController::create(start);
    show(navigation);
    EXPECT_EQ(ScreenInFront::controller(), navigation);
    EXPECT_EQ(ScreenInFront::visibleController(), start);
    calls.clear();
    int announcements = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(ScreenInFrontDidChangeNotification,
                                                                 [&](const Notification&) { ++announcements; });

    auto order = screen("order");
    start->presentViewController(order, true);
    EXPECT_EQ(navigation->presentedViewController(), order);
    EXPECT_EQ(order->presentingViewController(), navigation);
    EXPECT_EQ(announcements, 0) << "announced when the transition ends";
    settle();
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(ScreenInFront::visibleController(), order);
    EXPECT_EQ(calls, (Log {"start will disappear", "order load", "order will appear", "start did disappear",
                           "order did appear"}));

    calls.clear();
    start->dismissViewControllerAnimated(false); // asked from inside the container
    settle();
    EXPECT_EQ(calls, (Log {"order will disappear", "start will appear", "order did disappear", "start did appear"}));
}

TEST_F(PresentationTest, ADismissalBeforeThePresentationEndsLeavesConsistentState)
{
    auto floor = shownScreen("floor");
    auto scan = screen("scan");
    floor->presentViewController(scan, true);
    scan->dismissViewControllerAnimated(true);
    settle();
    // The superseded presentation ends nothing; the dismissal ends both sides.
    EXPECT_EQ(calls, (Log {"floor will disappear", "scan load", "scan will appear", "scan will disappear",
                           "floor will appear", "scan did disappear", "floor did appear"}));
    EXPECT_EQ(floor->appearance(), UIViewController::Appearance::Appeared);
    EXPECT_EQ(scan->appearance(), UIViewController::Appearance::Disappeared);
}
