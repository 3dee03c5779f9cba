#include "InterfaceTestSupport.h"

#include "platform/ui/UINavigationController.h"

namespace {
class NavigationControllerTest : public InterfaceTest {
protected:
    std::shared_ptr<RecordingController> start = screen("start");
    std::shared_ptr<UINavigationController> navigation = UINavigationController::create(start);
};
} // namespace

TEST_F(NavigationControllerTest, PushAndPopHandAppearanceBetweenTheTopControllers)
{
    show(navigation);
    EXPECT_EQ(calls, (Log {"start load", "start will appear", "start did appear"}));
    calls.clear();

    auto login = screen("login");
    navigation->pushViewController(login, true);
    EXPECT_EQ(navigation->topViewController(), login);
    EXPECT_EQ(login->navigationController(), navigation.get());
    EXPECT_EQ(calls, (Log {"start will disappear", "login load", "login will appear"}));
    EXPECT_EQ(start->view()->superview(), nullptr);
    EXPECT_EQ(login->view()->superview(), navigation->view().get());
    settle();
    EXPECT_EQ(calls, (Log {"start will disappear", "login load", "login will appear", "start did disappear",
                           "login did appear"}));

    calls.clear();
    EXPECT_EQ(navigation->popViewControllerAnimated(false), login);
    settle();
    EXPECT_EQ(calls, (Log {"login will disappear", "start will appear", "login did disappear", "start did appear"}));
    EXPECT_EQ(login->navigationController(), nullptr);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);

    EXPECT_EQ(navigation->popViewControllerAnimated(false), nullptr); // the root stays
}

TEST_F(NavigationControllerTest, AStackOffScreenChangesSilentlyAndPopToRootSkipsTheCoveredMiddle)
{
    auto login = screen("login");
    auto floor = screen("floor");
    navigation->pushViewController(login, false);
    navigation->pushViewController(floor, false);
    settle();
    EXPECT_TRUE(calls.empty());

    show(navigation);
    EXPECT_EQ(calls, (Log {"floor load", "floor will appear", "floor did appear"})); // only the top one shows
    EXPECT_FALSE(start->isViewLoaded());
    calls.clear();

    const auto popped = navigation->popToRootViewControllerAnimated(false);
    settle();
    EXPECT_EQ(popped, (std::vector<std::shared_ptr<UIViewController>> {login, floor}));
    EXPECT_EQ(calls, (Log {"floor will disappear", "start load", "start will appear", "floor did disappear",
                           "start did appear"}));
    EXPECT_FALSE(login->isViewLoaded());
    EXPECT_EQ(navigation->popToViewController(floor.get(), false).size(), 0u);
    EXPECT_TRUE(log.contains("not in the navigation stack"));
}

TEST_F(NavigationControllerTest, RefusesWhatCannotBePushed)
{
    show(navigation);
    navigation->pushViewController(start, false);
    navigation->pushViewController(UINavigationController::create(), false);
    auto presented = screen("presented");
    navigation->presentViewController(presented, false);
    navigation->pushViewController(presented, false);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_TRUE(log.contains("already shown"));
    EXPECT_TRUE(log.contains("Cannot push a navigation controller"));
}

TEST_F(NavigationControllerTest, AHiddenBarGivesTheTopControllerTheWholeView)
{
    start->setTitle("Rooms");
    show(navigation);
    EXPECT_EQ(navigation->navigationBar()->title(), "Rooms");
    EXPECT_FALSE(navigation->navigationBar()->isHidden());
    EXPECT_GT(start->view()->frame().origin.y, 0);
    EXPECT_EQ(CGRectGetMaxY(start->view()->frame()), 768);

    navigation->setNavigationBarHidden(true);
    EXPECT_TRUE(navigation->navigationBar()->isHidden());
    EXPECT_EQ(start->view()->frame(), CGRectMake(0, 0, 1024, 768));

    // A controller pushed later lands in the same full frame.
    auto floor = screen("floor");
    navigation->pushViewController(floor, false);
    EXPECT_EQ(floor->view()->frame(), CGRectMake(0, 0, 1024, 768));
}
