#include "platform/ui/UIActivityIndicatorView.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UIControl.h"
#include "platform/ui/UIImageView.h"
#include "platform/graphics/CGContext.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(UIControl, TargetActionsByEventInOrder)
{
    auto control = UIControl::create(CGRectMake(0, 0, 50, 50));
    std::vector<std::string> calls;
    int owner = 0, other = 0;
    control->addTarget(&owner, [&](UIControl&) { calls.push_back("up"); }, UIControlEventTouchUpInside);
    control->addTarget(&other, [&](UIControl&) { calls.push_back("other up"); }, UIControlEventTouchUpInside);
    control->addTarget(&owner, [&](UIControl&) { calls.push_back("down"); }, UIControlEventTouchDown);
    control->addTarget(&owner, [&](UIControl& sender) { calls.push_back(sender.isHighlighted() ? "changed!" : "changed"); },
                       UIControlEventValueChanged);

    EXPECT_TRUE(control->tap());
    EXPECT_EQ(calls, (std::vector<std::string> {"down", "up", "other up"}));
    calls.clear();
    control->sendActionsForControlEvents(UIControlEventValueChanged | UIControlEventTouchDown);
    EXPECT_EQ(calls, (std::vector<std::string> {"down", "changed"}));

    // Removing one target's touch-up leaves its other events and other targets alone.
    control->removeTarget(&owner, UIControlEventTouchUpInside);
    calls.clear();
    control->tap();
    EXPECT_EQ(calls, (std::vector<std::string> {"down", "other up"}));

    // A disabled or hidden control takes no taps; sending actions directly still works.
    calls.clear();
    control->setEnabled(false);
    EXPECT_FALSE(control->tap());
    control->setEnabled(true);
    control->setHidden(true);
    EXPECT_FALSE(control->tap());
    EXPECT_TRUE(calls.empty());
    control->removeTarget(nullptr, UIControlEventAllEvents);
    EXPECT_EQ(control->allControlEvents(), 0u);
}

TEST(UIControl, ActionsMayRemoveTheirControl)
{
    auto parent = UIView::create();
    auto control = UIControl::create();
    parent->addSubview(control);
    std::weak_ptr<UIControl> weak = control;
    int calls = 0;
    control->addTarget(nullptr, [&](UIControl& sender) {
        sender.removeFromSuperview();
        sender.removeTarget(nullptr, UIControlEventAllEvents);
        ++calls;
    }, UIControlEventTouchUpInside);
    control->addTarget(nullptr, [&](UIControl&) { ++calls; }, UIControlEventTouchUpInside);
    UIControl* raw = control.get();
    control.reset(); // only the superview holds it now
    raw->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(calls, 2); // the snapshot taken before the first call is honoured
    EXPECT_TRUE(weak.expired());
}

TEST(UIButton, StateValuesFallBackToNormal)
{
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(0, 0, 120, 40));
    button->setTitle("确定");
    button->setTitle("选中", UIControlStateSelected);
    button->setTitleColor(UIColor::redColor(), UIControlStateHighlighted);
    EXPECT_EQ(button->titleLabel()->text(), "确定");
    button->setSelected(true);
    EXPECT_EQ(button->titleLabel()->text(), "选中");
    // Selected and highlighted together: the selected title, the highlighted colour.
    button->setHighlighted(true);
    EXPECT_EQ(button->currentTitle(), "选中");
    EXPECT_EQ(button->currentTitleColor(), UIColor::redColor());
    button->setSelected(false);
    button->setHighlighted(false);
    EXPECT_EQ(button->titleColorForState(UIControlStateNormal), UIColor::whiteColor());

    // The title is centred: two wide characters of 15 points in a 120-point button.
    button->layoutIfNeeded();
    EXPECT_EQ(button->titleLabel()->frame(), CGRectMake(45, 11, 30, 18));
}

TEST(UIActivityIndicatorView, HidesWhenStopped)
{
    // Their sizes are checked where the status strip and the busy indicator lay them out.
    auto spinner = UIActivityIndicatorView::create(UIActivityIndicatorViewStyle::White);
    EXPECT_TRUE(spinner->isHidden());
    spinner->startAnimating();
    EXPECT_TRUE(spinner->isAnimating());
    EXPECT_FALSE(spinner->isHidden());
    spinner->setHidesWhenStopped(false);
    spinner->stopAnimating();
    EXPECT_FALSE(spinner->isHidden());
    spinner->setHidesWhenStopped(true);
    EXPECT_TRUE(spinner->isHidden());
}

TEST(UIImageView, AnimationShowsTheFrameOfTheMomentInTurnThenThePictureAgain)
{
    ManualMainClock clock;
    const auto picture = [] { return CGContext::createBitmap(CGSizeMake(1, 1), 1, true)->makeImage(); };
    auto view = UIImageView::create();
    view->setImage(picture());
    const std::vector<UIImagePtr> frames {picture(), picture(), picture()};
    view->setAnimationImages({frames[0], nullptr, frames[1], frames[2]}); // a missing frame is dropped
    view->setAnimationDuration(0.3);
    view->startAnimating();
    // Seconds since the start and the frame shown then; the frames come round again.
    for (const auto& [at, frame] : {std::pair {0.0, 0}, {0.15, 1}, {0.25, 2}, {0.35, 0}, {0.45, 1}}) {
        clock.clock().set(1000 + at);
        EXPECT_EQ(view->currentImage(), frames[static_cast<std::size_t>(frame)]) << at;
    }
    view->stopAnimating();
    EXPECT_EQ(view->currentImage(), view->image());
}
