#include "tests/support/GeometryPrinting.h"
#include "platform/ui/GestureDriver.h"
#include "platform/ui/UILongPressGestureRecognizer.h"
#include "platform/ui/UIPanGestureRecognizer.h"
#include "platform/ui/UIPinchGestureRecognizer.h"
#include "platform/ui/UITapGestureRecognizer.h"
#include "platform/ui/UIView.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records the states its recogniser reported, and answers the gate as told.
struct Recorder : UIGestureRecognizerDelegate {
    std::vector<UIGestureRecognizerState> states;
    bool allowBegin = true;
    bool simultaneous = false;

    void attach(UIGestureRecognizer& recognizer)
    {
        recognizer.setDelegate(this);
        recognizer.addTarget(this, [this](UIGestureRecognizer& r) { states.push_back(r.state()); });
    }
    bool gestureRecognizerShouldBegin(UIGestureRecognizer&) override { return allowBegin; }
    bool gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(UIGestureRecognizer&,
                                                                             UIGestureRecognizer&) override
    {
        return simultaneous;
    }
};

using State = UIGestureRecognizerState;

template <class Recognizer>
std::shared_ptr<Recognizer> on(const std::shared_ptr<UIView>& view)
{
    auto recognizer = std::make_shared<Recognizer>();
    view->addGestureRecognizer(recognizer);
    return recognizer;
}

} // namespace

TEST(GestureRecognizer, ContinuousGestureReportsEachStateAndResets)
{
    auto view = UIView::create(CGRectMake(0, 0, 300, 300));
    auto pan = on<UIPanGestureRecognizer>(view);
    Recorder recorder;
    recorder.attach(*pan);

    EXPECT_TRUE(GestureDriver::begin(*pan, {{10, 10}}));
    EXPECT_TRUE(GestureDriver::change(*pan, {{40, 30}}));
    EXPECT_EQ(pan->translationInView(view.get()), CGPointMake(30, 20));
    EXPECT_TRUE(GestureDriver::end(*pan));
    EXPECT_EQ(recorder.states, (std::vector<State> {State::Began, State::Changed, State::Ended}));
    EXPECT_EQ(pan->state(), State::Possible);
    EXPECT_EQ(pan->numberOfTouches(), 0u);
    // Nothing runs that is not in progress.
    EXPECT_FALSE(GestureDriver::change(*pan, {{1, 1}}));
    EXPECT_FALSE(GestureDriver::end(*pan));

    // A refused gate fails the gesture without telling the targets.
    recorder.allowBegin = false;
    EXPECT_FALSE(GestureDriver::begin(*pan, {{10, 10}}));
    EXPECT_EQ(recorder.states.size(), 3u);
    EXPECT_EQ(pan->state(), State::Possible);

    pan->removeTarget(&recorder);
    recorder.allowBegin = true;
    EXPECT_TRUE(GestureDriver::begin(*pan, {{10, 10}}));
    EXPECT_EQ(recorder.states.size(), 3u);
    pan->setDelegate(nullptr);
}

TEST(GestureRecognizer, TouchCountsDecideWhoMayBegin)
{
    auto view = UIView::create(CGRectMake(0, 0, 300, 300));
    auto tap = on<UITapGestureRecognizer>(view);
    auto pinch = on<UIPinchGestureRecognizer>(view);
    auto pan = on<UIPanGestureRecognizer>(view);
    pan->setMinimumNumberOfTouches(2);
    pan->setMaximumNumberOfTouches(2);

    EXPECT_FALSE(GestureDriver::recognize(*tap, {{1, 1}, {2, 2}}));
    EXPECT_TRUE(GestureDriver::recognize(*tap, {{1, 1}}));
    // A tap is discrete: it is recognised, never begun.
    EXPECT_FALSE(GestureDriver::begin(*tap, {{1, 1}}));
    EXPECT_FALSE(GestureDriver::begin(*pinch, {{1, 1}}));
    EXPECT_FALSE(GestureDriver::begin(*pan, {{1, 1}, {2, 2}, {3, 3}}));
}

// Disabling cancels as well: the grid's gesture helpers and a scroll view turned off check that.
TEST(GestureRecognizer, RemovingFromTheViewCancelsTheGestureInProgress)
{
    auto view = UIView::create(CGRectMake(0, 0, 300, 300));
    auto press = on<UILongPressGestureRecognizer>(view);
    Recorder recorder;
    recorder.attach(*press);
    ASSERT_TRUE(GestureDriver::begin(*press, {{5, 5}}));
    view->removeGestureRecognizer(press.get());
    EXPECT_EQ(recorder.states, (std::vector<State> {State::Began, State::Cancelled}));
    EXPECT_EQ(press->state(), State::Possible);
    EXPECT_EQ(press->view(), nullptr);
    press->setDelegate(nullptr);
}

TEST(GestureRecognizer, ActionThatEndsItsOwnGestureStillReadsIt)
{
    auto view = UIView::create(CGRectMake(0, 0, 300, 300));
    auto pan = on<UIPanGestureRecognizer>(view);
    std::vector<CGPoint> seen;
    std::vector<State> states;
    pan->addTarget(nullptr, [&](UIGestureRecognizer& r) {
        auto& p = static_cast<UIPanGestureRecognizer&>(r);
        states.push_back(p.state());
        if (p.state() == State::Changed) {
            p.setEnabled(false);
            p.setEnabled(true);
            seen.push_back(p.translationInView(view.get()));
        }
    });
    ASSERT_TRUE(GestureDriver::begin(*pan, {{0, 0}}));
    GestureDriver::change(*pan, {{7, 9}});
    EXPECT_EQ(states, (std::vector<State> {State::Began, State::Changed, State::Cancelled}));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], CGPointMake(7, 9));
    EXPECT_EQ(pan->state(), State::Possible);
}

TEST(GestureRecognizer, WaitsForTheRecognizerItRequiresToFail)
{
    auto view = UIView::create(CGRectMake(0, 0, 300, 300));
    auto scroll = on<UIPanGestureRecognizer>(view);
    auto sort = on<UIPanGestureRecognizer>(view);
    Recorder sortGate;
    sortGate.attach(*sort);
    sortGate.simultaneous = true;
    scroll->requireGestureRecognizerToFail(sort);

    // While the required recogniser runs it blocks outright.
    ASSERT_TRUE(GestureDriver::begin(*sort, {{1, 1}}));
    EXPECT_FALSE(GestureDriver::begin(*scroll, {{1, 1}}));
    GestureDriver::end(*sort);

    // Each waits for the other: the question must still come back.
    sort->requireGestureRecognizerToFail(scroll);
    EXPECT_FALSE(GestureDriver::wouldBegin(*scroll, {{1, 1}}));
    EXPECT_FALSE(GestureDriver::begin(*scroll, {{1, 1}}));
    sortGate.allowBegin = false;
    EXPECT_TRUE(GestureDriver::begin(*scroll, {{1, 1}}));
    GestureDriver::end(*scroll);
    sort->setDelegate(nullptr);
}

TEST(GestureRecognizer, ActiveGestureExcludesOthersUnlessEitherAllowsBoth)
{
    auto root = UIView::create(CGRectMake(0, 0, 300, 300));
    auto child = UIView::create(CGRectMake(50, 50, 100, 100));
    root->addSubview(child);
    auto press = on<UILongPressGestureRecognizer>(root);
    auto pinch = on<UIPinchGestureRecognizer>(child);
    Recorder pressGate;
    pressGate.attach(*press);

    ASSERT_TRUE(GestureDriver::begin(*press, {{60, 60}}));
    EXPECT_FALSE(GestureDriver::begin(*pinch, {{1, 1}, {9, 9}}));
    pressGate.simultaneous = true;
    EXPECT_TRUE(GestureDriver::begin(*pinch, {{1, 1}, {9, 9}}));
    press->setDelegate(nullptr);
}

TEST(GestureRecognizer, LocationsFollowTheViewTheyAreAskedIn)
{
    auto root = UIView::create(CGRectMake(0, 0, 300, 300));
    auto child = UIView::create(CGRectMake(50, 20, 100, 100));
    root->addSubview(child);
    auto pinch = on<UIPinchGestureRecognizer>(child);
    ASSERT_TRUE(GestureDriver::begin(*pinch, {{10, 10}, {30, 50}}));
    EXPECT_EQ(pinch->locationInView(child.get()), CGPointMake(20, 30));
    EXPECT_EQ(pinch->locationInView(root.get()), CGPointMake(70, 50));
    EXPECT_EQ(pinch->locationOfTouch(1, root.get()), CGPointMake(80, 70));
    EXPECT_EQ(pinch->locationOfTouch(2, root.get()), CGPointZero);

    // Scrolling the content under resting fingers moves them within it.
    root->setBounds(CGRectMake(0, 100, 300, 300));
    EXPECT_EQ(pinch->locationInView(child.get()), CGPointMake(20, 130));
    EXPECT_EQ(pinch->locationInView(root.get()), CGPointMake(70, 150));

    pinch->setScale(2.5);
    GestureDriver::end(*pinch);
    EXPECT_EQ(pinch->scale(), 1);
}

TEST(GestureRecognizer, PanTranslationCanBeResetAndMeasuresSpeed)
{
    ManualMainClock clock;
    auto view = UIView::create(CGRectMake(0, 0, 300, 300));
    auto pan = on<UIPanGestureRecognizer>(view);
    ASSERT_TRUE(GestureDriver::begin(*pan, {{100, 100}}));
    clock.clock().advance(0.1);
    GestureDriver::change(*pan, {{130, 90}});
    EXPECT_NEAR(pan->velocityInView(view.get()).x, 300, 1e-6);
    EXPECT_NEAR(pan->velocityInView(view.get()).y, -100, 1e-6);
    pan->setTranslation(CGPointZero, view.get());
    // Moves without time between them keep the last speed rather than dividing by zero.
    GestureDriver::change(*pan, {{135, 90}});
    EXPECT_EQ(pan->translationInView(view.get()), CGPointMake(5, 0));
    EXPECT_NEAR(pan->velocityInView(view.get()).x, 300, 1e-6);
}

TEST(GestureRecognizer, RecognizersForgetTheirViewAndMoveBetweenViews)
{
    auto pan = std::make_shared<UIPanGestureRecognizer>();
    auto other = UIView::create(CGRectMake(0, 0, 10, 10));
    {
        auto view = UIView::create(CGRectMake(0, 0, 10, 10));
        view->addGestureRecognizer(pan);
        view->addGestureRecognizer(pan);
        EXPECT_EQ(view->gestureRecognizers().size(), 1u);
        other->addGestureRecognizer(pan);
        EXPECT_TRUE(view->gestureRecognizers().empty());
        EXPECT_EQ(pan->view(), other.get());
        view->addGestureRecognizer(pan);
        EXPECT_TRUE(other->gestureRecognizers().empty());
    }
    EXPECT_EQ(pan->view(), nullptr);
    EXPECT_FALSE(GestureDriver::begin(*pan, {{1, 1}}));
    EXPECT_EQ(GestureDriver::find<UIPanGestureRecognizer>(*other), nullptr);
}
