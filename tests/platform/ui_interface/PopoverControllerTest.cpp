#include "InterfaceTestSupport.h"

#include "platform/ui/UIPopoverController.h"

namespace {

class Listener : public UIPopoverControllerDelegate {
public:
    bool allow = true;
    int asked = 0, told = 0;
    bool popoverControllerShouldDismissPopover(UIPopoverController&) override { return ++asked, allow; }
    void popoverControllerDidDismissPopover(UIPopoverController&) override { ++told; }
};

class PopoverControllerTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        InterfaceTest::SetUp();
        show(floor);
        floor->view()->addSubview(tile);
        popover->setPopoverContentSize({250, 330});
        popover->setDelegate(listener);
        calls.clear();
    }

    std::shared_ptr<RecordingController> floor = screen("floor");
    std::shared_ptr<RecordingController> details = screen("details");
    std::shared_ptr<UIView> tile = UIView::create(CGRectMake(100, 100, 200, 120));
    std::shared_ptr<UIPopoverController> popover = UIPopoverController::create(details);
    std::shared_ptr<Listener> listener = std::make_shared<Listener>();
};

} // namespace

TEST_F(PopoverControllerTest, ThePanelSitsBesideTheAnchorWithTheContentInside)
{
    popover->presentPopoverFromRect(tile->bounds(), *tile, UIPopoverArrowDirectionAny, true);
    ASSERT_TRUE(popover->isPopoverVisible());
    EXPECT_EQ(popover->popoverArrowDirection(), UIPopoverArrowDirectionUp); // room below the tile
    const CGRect panel = popover->panelView()->frame();
    EXPECT_EQ(panel.origin.y, 220 + UIPopoverController::ArrowLength);
    EXPECT_EQ(CGRectGetMidX(panel), 200);
    EXPECT_EQ(panel.size, CGSizeMake(250 + 2 * UIPopoverController::Border, 330 + 2 * UIPopoverController::Border));
    EXPECT_EQ(popover->panelView()->superview(), window.get());
    EXPECT_EQ(details->view()->superview(), popover->panelView().get());
    EXPECT_EQ(details->view()->frame().size, CGSizeMake(250, 330));
    EXPECT_EQ(UIPopoverController::visiblePopovers(), (std::vector<std::shared_ptr<UIPopoverController>> {popover}));

    // The screen under it stays in front; only the content hears appearance calls.
    settle();
    EXPECT_EQ(calls, (Log {"details load", "details will appear", "details did appear"}));
}

TEST_F(PopoverControllerTest, TheArrowFollowsTheRoomAndThePermittedDirections)
{
    tile->setFrame(CGRectMake(100, 600, 200, 120)); // no room below
    popover->presentPopoverFromRect(tile->bounds(), *tile, UIPopoverArrowDirectionAny, false);
    EXPECT_EQ(popover->popoverArrowDirection(), UIPopoverArrowDirectionDown);
    EXPECT_EQ(CGRectGetMaxY(popover->panelView()->frame()), 600 - UIPopoverController::ArrowLength);

    popover->presentPopoverFromRect(tile->bounds(), *tile, UIPopoverArrowDirectionRight, false);
    EXPECT_EQ(popover->popoverArrowDirection(), UIPopoverArrowDirectionRight);
    // No room on the left of a tile at x 100: the panel is kept on the screen.
    EXPECT_GE(popover->panelView()->frame().origin.x, UIPopoverController::ScreenMargin);
    EXPECT_EQ(UIPopoverController::visiblePopovers().size(), 1u); // presenting again moves it

    // A tall popover that fits nowhere goes where there is most room, kept on the screen.
    popover->setPopoverContentSize({250, 900});
    popover->presentPopoverFromRect(tile->bounds(), *tile, UIPopoverArrowDirectionAny, false);
    EXPECT_EQ(popover->popoverArrowDirection(), UIPopoverArrowDirectionLeft);
    EXPECT_GE(popover->panelView()->frame().origin.y, 20);
}

TEST_F(PopoverControllerTest, ATapOutsideAsksTheDelegateAndTellsItOnceClosedAndCodeTellsItNothing)
{
    popover->presentPopoverFromRect(tile->bounds(), *tile, UIPopoverArrowDirectionAny, true);
    settle();
    listener->allow = false;
    EXPECT_FALSE(popover->tapOutside());
    EXPECT_TRUE(popover->isPopoverVisible());

    listener->allow = true;
    calls.clear();
    EXPECT_TRUE(popover->tapOutside());
    EXPECT_FALSE(popover->isPopoverVisible());
    EXPECT_EQ(details->view()->superview(), nullptr);
    EXPECT_EQ(listener->told, 0); // told when the closing is done
    settle();
    EXPECT_EQ(listener->asked, 2);
    EXPECT_EQ(listener->told, 1);
    EXPECT_EQ(calls, (Log {"details will disappear", "details did disappear"}));
    EXPECT_TRUE(UIPopoverController::visiblePopovers().empty());
    EXPECT_FALSE(popover->tapOutside());

    popover->presentPopoverFromRect(tile->bounds(), *tile, UIPopoverArrowDirectionAny, true);
    popover->dismissPopoverAnimated(true);
    settle();
    EXPECT_FALSE(popover->isPopoverVisible());
    EXPECT_EQ(listener->asked + listener->told, 3);
    EXPECT_EQ(popover->popoverArrowDirection(), UIPopoverArrowDirectionUnknown);
}

TEST_F(PopoverControllerTest, ThePanelGoesWithThePopoverAndNeedsAWindow)
{
    auto loose = UIView::create(CGRectMake(0, 0, 10, 10));
    popover->presentPopoverFromRect(loose->bounds(), *loose, UIPopoverArrowDirectionAny, false);
    EXPECT_FALSE(popover->isPopoverVisible());
    EXPECT_TRUE(log.contains("not in a window"));

    auto other = UIPopoverController::create(screen("other"));
    other->presentPopoverFromRect(tile->bounds(), *tile, UIPopoverArrowDirectionAny, false);
    const auto panel = other->panelView();
    other.reset(); // a new popover replacing the old one, as a screen does with its member
    EXPECT_EQ(panel->superview(), nullptr);
    EXPECT_TRUE(UIPopoverController::visiblePopovers().empty());
}

TEST_F(PopoverControllerTest, TheDarkStyleGivesClearContentAnOpaqueGround)
{
    popover->setPopoverBackgroundStyle(1);
    details->view()->setBackgroundColor(UIColor::clearColor());
    popover->presentPopoverFromRect(tile->bounds(), *tile, UIPopoverArrowDirectionAny, false);
    EXPECT_EQ(popover->panelView()->backgroundColor()->alpha(), 1);
    EXPECT_LT(popover->panelView()->backgroundColor()->rgba().red, 0.5);
    popover->setPopoverContentSize({250, 590});
    EXPECT_EQ(details->view()->frame().size, CGSizeMake(250, 590));
}
