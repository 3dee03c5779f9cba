#include "platform/ui/CALayer.h"
#include "platform/ui/UIView.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(ViewAnimation, EndValuesAtOnceCompletionLaterFromTheRunLoop)
{
    ManualMainClock clock;
    UIView::resetAnimations();
    auto view = UIView::create(CGRectMake(0, 0, 100, 20));
    std::vector<bool> completions;
    UIView::animateWithDuration(0.4, [&] { view->setAlpha(0); }, [&](bool finished) { completions.push_back(finished); });
    EXPECT_EQ(view->alpha(), 0);
    EXPECT_TRUE(completions.empty()); // never inside the call
    EXPECT_EQ(UIView::runningAnimations().size(), 1u);

    clock.advance(0.3);
    EXPECT_TRUE(completions.empty());
    clock.advance(0.15);
    EXPECT_EQ(completions, std::vector<bool> {true});
    EXPECT_TRUE(UIView::runningAnimations().empty());

    // A zero duration still completes on a later pass, and so does an animation run with
    // animations turned off.
    bool done = false;
    UIView::performWithoutAnimation([&] {
        UIView::animateWithDuration(5, [&] { view->setAlpha(1); }, [&](bool) { done = true; });
    });
    EXPECT_FALSE(done);
    RunLoop::main().runOnce();
    EXPECT_TRUE(done);
    EXPECT_TRUE(UIView::areAnimationsEnabled());
}

TEST(LayerAnimation, RegistryReportsFinishedAndRemovedAnimations)
{
    ManualMainClock clock;
    CALayer layer;
    std::vector<std::string> stops;
    auto bounce = CAKeyframeAnimation::animationWithKeyPath("transform");
    bounce->duration = 0.66;
    bounce->removedOnCompletion = false;
    bounce->didStop = [&](bool finished) { stops.push_back(finished ? "bounce finished" : "bounce cut"); };
    layer.addAnimation(bounce, "bounce");
    clock.advance(0.7);
    EXPECT_EQ(stops, std::vector<std::string> {"bounce finished"});
    // Asked to stay, it is still registered after it finished.
    EXPECT_EQ(layer.animationKeys(), std::vector<std::string> {"bounce"});

    auto fade = std::make_shared<CAAnimation>();
    fade->duration = 1;
    fade->didStop = [&](bool finished) { stops.push_back(finished ? "fade finished" : "fade cut"); };
    layer.addAnimation(fade, "fade");
    layer.removeAllAnimations();
    EXPECT_TRUE(layer.animationKeys().empty());
    EXPECT_EQ(stops.size(), 1u); // the cut is reported later, not inside the removal
    clock.advance(2);
    EXPECT_EQ(stops, (std::vector<std::string> {"bounce finished", "fade cut"}));

    // Replacing under the same key cuts the first; a layer that is gone reports nothing.
    int reports = 0;
    {
        CALayer shortLived;
        auto first = std::make_shared<CAAnimation>();
        first->didStop = [&](bool) { ++reports; };
        shortLived.addAnimation(first, "k");
        shortLived.addAnimation(std::make_shared<CAAnimation>(), "k");
        clock.advance(0.05);
        EXPECT_EQ(reports, 1);
        auto second = std::make_shared<CAAnimation>();
        second->didStop = [&](bool) { ++reports; };
        shortLived.addAnimation(second, "other");
    }
    clock.advance(1);
    EXPECT_EQ(reports, 1);
}
