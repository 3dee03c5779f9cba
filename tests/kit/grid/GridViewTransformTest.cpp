#include "RoomGridFixture.h"

#include <gtest/gtest.h>

namespace {

struct TransformGrid : RoomGrid {
    std::shared_ptr<TransformLog> transforms = std::make_shared<TransformLog>();
    // The window-like view items are lifted into.
    UIViewPtr stage = UIView::create(CGRectMake(0, 0, 1000, 600));

    TransformGrid()
        : RoomGrid(30)
    {
        stage->addSubview(grid);
        grid->setMainSuperView(stage);
        grid->setTransformDelegate(transforms);
    }

    std::vector<CGPoint> fingersOn(std::int64_t position)
    {
        const CGPoint c = centreOfItem(*grid, position);
        return {CGPointMake(c.x - 20, c.y), CGPointMake(c.x + 20, c.y)};
    }

    void pinch(std::int64_t position, double scale)
    {
        auto& recognizer = *grid->pinchGesture();
        ASSERT_TRUE(GestureDriver::begin(recognizer, fingersOn(position)));
        recognizer.setScale(scale);
        GestureDriver::change(recognizer);
        GestureDriver::end(recognizer);
    }
};

} // namespace

TEST(GridViewTransform, PinchedFarEnoughOpensTheFullSizeView)
{
    TransformGrid room;
    const GridViewCellPtr cell = room.grid->cellForItemAtIndex(7);
    room.pinch(7, 2.5);
    EXPECT_EQ(room.grid->transformingItem(), cell);
    EXPECT_EQ(cell->superview(), room.stage.get());
    EXPECT_EQ(cell->frame(), room.stage->bounds());
    EXPECT_EQ(room.transforms->asked, std::vector<std::int64_t> {7});
    EXPECT_EQ(room.transforms->started, 1);
    // The place of the lifted item is free at once and stays free.
    EXPECT_EQ(room.grid->cellForItemAtIndex(7), nullptr);
    room.grid->setNeedsLayout();
    room.grid->layoutIfNeeded();
    EXPECT_EQ(room.grid->cellForItemAtIndex(7), nullptr);

    room.clock.advance(0.15);
    EXPECT_TRUE(cell->isInFullSizeMode());
    EXPECT_TRUE(room.grid->isInFullSizeMode());
    EXPECT_EQ(room.transforms->entered, 1);
    EXPECT_EQ(room.grid->pinchGesture()->view(), cell->fullSizeView().get());
    EXPECT_EQ(cell->fullSizeView()->bounds().size, CGSizeMake(600, 400));

    // While an item is transformed edit mode stays as it is.
    room.grid->setEditing(true);
    EXPECT_FALSE(room.grid->isEditing());
}

TEST(GridViewTransform, SmallPinchFliesBackIntoTheGridUntouchedByAReload)
{
    TransformGrid room;
    const GridViewCellPtr cell = room.grid->cellForItemAtIndex(7);
    room.pinch(7, 1.6);
    room.grid->reloadData();
    EXPECT_EQ(cell->superview(), room.stage.get());
    EXPECT_EQ(room.grid->cellForItemAtIndex(7), nullptr);
    room.clock.advance(0.15);
    EXPECT_FALSE(cell->isInFullSizeMode());
    EXPECT_EQ(room.transforms->entered, 0);
    EXPECT_EQ(room.grid->transformingItem(), nullptr);
    room.clock.advance(0.4);
    EXPECT_EQ(cell->superview(), room.grid.get());
    EXPECT_EQ(room.grid->cellForItemAtIndex(7), cell);
    EXPECT_TRUE(CGAffineTransformIsIdentity(cell->contentView()->transform()));
    EXPECT_EQ(cell->fullSizeView(), nullptr);
    EXPECT_EQ(room.transforms->ended, 1);
    EXPECT_EQ(room.grid->pinchGesture()->view(), room.grid.get());
    EXPECT_EQ(checkedCells(*room.grid, *room.items).size(), 30u);
}

TEST(GridViewTransform, ReopeningFromFullSizeAndClosing)
{
    TransformGrid room;
    const GridViewCellPtr cell = room.grid->cellForItemAtIndex(3);
    room.pinch(3, 2.6);
    room.clock.advance(0.15);
    ASSERT_TRUE(cell->isInFullSizeMode());
    // A new pinch on the full-size view starts from 2.5 and, brought down small, closes the item.
    auto& pinch = *room.grid->pinchGesture();
    ASSERT_TRUE(GestureDriver::begin(pinch, {{100, 100}, {200, 100}}));
    EXPECT_EQ(pinch.scale(), 2.5);
    EXPECT_FALSE(cell->isInFullSizeMode());
    // The scale steps down gradually: a single jump is beyond what one step may apply.
    for (const double scale : {2.0, 1.6, 1.2}) {
        pinch.setScale(scale);
        GestureDriver::change(pinch);
    }
    GestureDriver::end(pinch);
    room.clock.advance(0.6);
    EXPECT_EQ(cell->superview(), room.grid.get());
    EXPECT_EQ(room.transforms->ended, 1);
}

TEST(GridViewTransform, RotationAndTwoFingerMoveApplyToTheContent)
{
    TransformGrid room;
    const GridViewCellPtr cell = room.grid->cellForItemAtIndex(7);
    auto& rotation = *room.grid->rotationGesture();
    ASSERT_TRUE(GestureDriver::begin(rotation, room.fingersOn(7)));
    rotation.setRotation(0.5);
    GestureDriver::change(rotation);
    const CGAffineTransform t = cell->contentView()->transform();
    EXPECT_NEAR(std::atan2(t.b, t.a), 0.5, 1e-9);

    auto& pan = *room.grid->transformPanGesture();
    const CGPoint before = cell->contentView()->center();
    auto fingers = room.fingersOn(7);
    ASSERT_TRUE(GestureDriver::begin(pan, fingers));
    for (auto& f : fingers)
        f.y += 30;
    GestureDriver::change(pan, fingers);
    EXPECT_EQ(cell->contentView()->center(), CGPointMake(before.x, before.y + 30));
    // One finger lifted: the pan ends, keeping its last move.
    GestureDriver::change(pan, {CGPointMake(fingers[0].x, fingers[0].y + 10)});
    EXPECT_EQ(pan.state(), UIGestureRecognizerState::Possible);
    EXPECT_EQ(cell->contentView()->center().y, before.y + 40);
    GestureDriver::end(rotation);
    room.clock.advance(0.6);
    EXPECT_EQ(room.grid->cellForItemAtIndex(7), cell);
}

TEST(GridViewTransform, TwoItemsOrNoDelegateStartNothing)
{
    TransformGrid room;
    auto& pinch = *room.grid->pinchGesture();
    EXPECT_FALSE(GestureDriver::begin(pinch, {centreOfItem(*room.grid, 1), centreOfItem(*room.grid, 2)}));
    EXPECT_FALSE(GestureDriver::begin(pinch, {centreOfItem(*room.grid, 1)}));
    room.grid->setTransformDelegate(nullptr);
    EXPECT_FALSE(GestureDriver::begin(pinch, room.fingersOn(1)));
    EXPECT_EQ(room.grid->transformingItem(), nullptr);
}
