#include "RoomGridFixture.h"
#include "kit/grid/GestureRecognizerAdditions.h"
#include "kit/grid/ViewAdditions.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UIPanGestureRecognizer.h"

#include <gtest/gtest.h>

#include <string>

TEST(GridViewCell, HiddenDeleteButtonAboveEverythingShowsOnceWhileEditingAndRunsTheBlock)
{
    ManualMainClock clock;
    auto cell = GridViewCell::create(CGRectMake(0, 0, 100, 80));
    auto button = cell->deleteButton();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->frame(), CGRectMake(-5, -5, 35, 35));
    EXPECT_EQ(button->alpha(), 0);
    EXPECT_EQ(button->titleForState(UIControlStateNormal), "X");
    cell->setContentView(UIView::create());
    cell->setFullSizeView(UIView::create());
    EXPECT_EQ(cell->subviews().back(), button);
    EXPECT_EQ(cell->contentView()->frame(), CGRectMake(0, 0, 100, 80));

    // A picture makes the button its size, with no title and a clear background.
    cell->setDeleteButtonOffset(CGPointMake(3, 4));
    cell->setDeleteButtonIcon(UIImage::placeholder("delete", CGSizeMake(20, 20)));
    EXPECT_EQ(button->frame(), CGRectMake(3, 4, 20, 20));
    EXPECT_EQ(button->titleForState(UIControlStateNormal), "");
    EXPECT_TRUE(UIColor::equal(button->backgroundColor(), UIColor::clearColor()));

    // Editing shows the button once and mutes the content.
    const std::size_t before = UIView::runningAnimations().size();
    cell->setEditing(true, true);
    cell->setEditing(true, true);
    EXPECT_EQ(UIView::runningAnimations().size(), before + 1);
    EXPECT_EQ(cell->deleteButton()->alpha(), 1);
    EXPECT_FALSE(cell->contentView()->isUserInteractionEnabled());
    EXPECT_NE(cell->layer().animationForKey(ViewAdditions::kShakeAnimationKey), nullptr);
    // Without a block a tap does nothing; with one it is handed the cell.
    EXPECT_TRUE(cell->deleteButton()->tap());
    GridViewCell* received = nullptr;
    cell->setDeleteBlock([&](GridViewCell& c) { received = &c; });
    cell->deleteButton()->tap();
    EXPECT_EQ(received, cell.get());

    cell->setEditing(false);
    EXPECT_EQ(cell->deleteButton()->alpha(), 0);
    EXPECT_TRUE(cell->contentView()->isUserInteractionEnabled());
    EXPECT_EQ(cell->layer().animationForKey(ViewAdditions::kShakeAnimationKey), nullptr);
}

TEST(GridViewCell, ContentViewsKeepTheirPlaceAndStopShaking)
{
    auto cell = GridViewCell::create(CGRectMake(0, 0, 100, 80));
    auto first = UIView::create();
    cell->setContentView(first);
    first->setFrame(CGRectMake(10, 10, 50, 40));
    cell->shake(true);
    cell->shake(true);
    EXPECT_TRUE(cell->isInShakingMode());
    EXPECT_NE(first->layer().animationForKey(ViewAdditions::kShakeAnimationKey), nullptr);
    auto second = UIView::create();
    second->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    cell->setContentView(second);
    EXPECT_FALSE(cell->isInShakingMode());
    EXPECT_EQ(first->layer().animationForKey(ViewAdditions::kShakeAnimationKey), nullptr);
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(second->frame(), CGRectMake(10, 10, 50, 40));
    EXPECT_EQ(second->autoresizingMask(), UIViewAutoresizingNone);
}

TEST(GridViewCell, PrepareForReuseKeepsOnlyContentHighlightAndIdentifier)
{
    auto cell = GridViewCell::create(CGRectMake(0, 0, 100, 80));
    auto content = UIView::create();
    cell->setContentView(content);
    cell->setReuseIdentifier("room");
    cell->setHighlighted(true);
    cell->setFullSize(CGSizeMake(300, 200));
    cell->setFullSizeView(UIView::create());
    cell->setEditing(true);
    cell->setDeleteBlock([](GridViewCell&) {});
    cell->prepareForReuse();
    EXPECT_EQ(cell->fullSizeView(), nullptr);
    EXPECT_EQ(cell->fullSize(), CGSizeZero);
    EXPECT_FALSE(cell->isEditing());
    EXPECT_FALSE(cell->deleteBlock());
    EXPECT_EQ(cell->contentView(), content);
    EXPECT_TRUE(cell->isHighlighted());
    EXPECT_EQ(cell->reuseIdentifier(), "room");
}

TEST(GridViewCell, HighlightReachesTheContentAtAnyDepth)
{
    // A cell given a content view, and a tile from an interface file whose views are its own.
    for (const bool withContentView : {true, false}) {
        auto cell = GridViewCell::create(CGRectMake(0, 0, 100, 80));
        auto content = withContentView ? UIView::create() : UIViewPtr(cell);
        auto box = UIView::create();
        auto picture = std::make_shared<UIImageView>();
        auto button = UIButton::create();
        auto label = UILabel::create();
        content->addSubview(box);
        box->addSubview(picture);
        box->addSubview(label);
        content->addSubview(button);
        if (withContentView)
            cell->setContentView(content);
        for (const bool touched : {true, false}) {
            touched ? cell->touchesBegan() : cell->touchesCancelled();
            EXPECT_EQ(picture->isHighlighted(), touched) << withContentView;
            EXPECT_EQ(button->isHighlighted(), touched) << withContentView;
            EXPECT_EQ(label->isHighlighted(), touched) << withContentView;
        }
        cell->touchesBegan();
        EXPECT_FALSE(cell->deleteButton()->isHighlighted());
    }
}

TEST(GridViewCell, FullSizeModeCentresTheFullSizeViewAndBack)
{
    ManualMainClock clock;
    auto cell = GridViewCell::create(CGRectMake(0, 0, 1000, 600));
    cell->setContentView(UIView::create(CGRectMake(0, 0, 100, 80)));
    auto full = UIView::create();
    full->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    cell->setFullSizeView(full);
    EXPECT_EQ(full->alpha(), 0);
    EXPECT_EQ(full->frame(), cell->bounds());
    cell->setFullSize(CGSizeMake(600, 400));
    cell->switchToFullSizeMode(true);
    EXPECT_TRUE(cell->isInFullSizeMode());
    EXPECT_EQ(full->alpha(), 1);
    EXPECT_EQ(cell->contentView()->alpha(), 0);
    clock.advance(0.4);
    cell->layoutIfNeeded();
    EXPECT_EQ(full->frame(), CGRectMake(200, 100, 600, 400));

    cell->switchToFullSizeMode(false);
    EXPECT_EQ(full->alpha(), 0);
    EXPECT_EQ(cell->contentView()->alpha(), 1);
    EXPECT_EQ(full->frame(), cell->bounds());
    EXPECT_EQ(full->autoresizingMask(), UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
}

TEST(GridViewAdditions, EndCancelsWithoutChangingTheSetting)
{
    auto view = UIView::create(CGRectMake(0, 0, 100, 100));
    auto pan = std::make_shared<UIPanGestureRecognizer>();
    view->addGestureRecognizer(pan);
    std::vector<UIGestureRecognizerState> states;
    pan->addTarget(nullptr, [&](UIGestureRecognizer& r) { states.push_back(r.state()); });

    GestureRecognizerAdditions::end(*pan);
    EXPECT_TRUE(pan->isEnabled());
    EXPECT_TRUE(states.empty());
    ASSERT_TRUE(GestureDriver::begin(*pan, {{1, 1}}));
    EXPECT_TRUE(GestureRecognizerAdditions::hasRecognizedValidGesture(*pan));
    GestureDriver::change(*pan, {{5, 1}});
    EXPECT_TRUE(GestureRecognizerAdditions::hasRecognizedValidGesture(*pan));
    GestureRecognizerAdditions::end(*pan);
    EXPECT_TRUE(pan->isEnabled());
    EXPECT_EQ(states.back(), UIGestureRecognizerState::Cancelled);
    EXPECT_FALSE(GestureRecognizerAdditions::hasRecognizedValidGesture(*pan));
    pan->setEnabled(false);
    GestureRecognizerAdditions::end(*pan);
    EXPECT_FALSE(pan->isEnabled());
}

TEST(GridViewAdditions, ShakingStartsOnceAndStopsCleanly)
{
    ManualMainClock clock;
    auto view = UIView::create(CGRectMake(0, 0, 100, 100));
    ViewAdditions::shakeStatus(*view, false);
    EXPECT_TRUE(view->layer().animationKeys().empty());
    ViewAdditions::shakeStatus(*view, true);
    ViewAdditions::shakeStatus(*view, true);
    EXPECT_EQ(view->layer().animationKeys(), std::vector<std::string> {ViewAdditions::kShakeAnimationKey});
    // It outlasts its own duration and leaves the view's transform alone.
    clock.advance(1);
    EXPECT_NE(view->layer().animationForKey(ViewAdditions::kShakeAnimationKey), nullptr);
    EXPECT_TRUE(CGAffineTransformIsIdentity(view->transform()));
    ViewAdditions::shakeStatus(*view, false);
    EXPECT_TRUE(view->layer().animationKeys().empty());
}

TEST(GridViewAdditions, SubviewWalkIsDepthFirstAndStopsOneLevel)
{
    const auto tagged = [](UIView& parent, int tag) {
        auto view = UIView::create();
        view->setTag(tag);
        parent.addSubview(view);
        return view;
    };
    auto root = UIView::create();
    auto a = tagged(*root, 1);
    auto a1 = tagged(*a, 11);
    tagged(*a, 12);
    tagged(*root, 2);
    // The tags seen walking from a view, stopping at the one tagged stopAt.
    const auto walk = [](UIView& from, int stopAt) {
        std::vector<int> seen;
        ViewAdditions::recursiveEnumerateSubviewsUsingBlock(from, [&](UIView& v, bool& stop) {
            seen.push_back(v.tag());
            stop = v.tag() == stopAt;
        });
        return seen;
    };
    EXPECT_EQ(walk(*root, 0), (std::vector<int> {1, 11, 12, 2}));
    EXPECT_EQ(walk(*root, 11), (std::vector<int> {1, 11, 2}));
    EXPECT_TRUE(walk(*a1, 0).empty());
}
