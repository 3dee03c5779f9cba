#include "platform/ui/UISegmentedControl.h"

#include <gtest/gtest.h>

TEST(UISegmentedControl, TitlesAndSelectionStayInRange)
{
    auto control = UISegmentedControl::create(CGRectMake(0, 0, 800, 40), {"空房(0)", "带位房(0)"});
    control->insertSegmentWithTitle("维修房(0)", 99); // clamped to the end
    ASSERT_EQ(control->numberOfSegments(), 3);
    EXPECT_EQ(control->titleForSegmentAtIndex(2), "维修房(0)");
    control->setTitleForSegmentAtIndex("空房(12)", 0);
    control->setTitleForSegmentAtIndex("ignored", 3);
    control->setTitleForSegmentAtIndex("ignored", -1);
    EXPECT_EQ(control->titleForSegmentAtIndex(0), "空房(12)");
    EXPECT_EQ(control->labelForSegmentAtIndex(0)->text(), "空房(12)");
    EXPECT_FALSE(control->titleForSegmentAtIndex(3));

    EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControl::UISegmentedControlNoSegment);
    control->setSelectedSegmentIndex(1);
    control->insertSegmentWithTitle("first", 0); // the selection follows its segment
    EXPECT_EQ(control->selectedSegmentIndex(), 2);
    control->setSelectedSegmentIndex(7);
    EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControl::UISegmentedControlNoSegment);

    control->layoutIfNeeded();
    EXPECT_DOUBLE_EQ(control->labelForSegmentAtIndex(3)->frame().origin.x, 600);
    EXPECT_DOUBLE_EQ(control->labelForSegmentAtIndex(3)->frame().size.width, 200);
}

TEST(UISegmentedControl, TapsSendValueChangedOnlyOnChange)
{
    auto control = UISegmentedControl::create(CGRectMake(0, 0, 300, 40), {"a", "b", "c"});
    int changes = 0;
    control->addTarget(nullptr, [&](UIControl&) { ++changes; }, UIControlEventValueChanged);
    EXPECT_TRUE(control->tapSegmentAtIndex(1));
    EXPECT_TRUE(control->tapSegmentAtIndex(1));
    EXPECT_FALSE(control->tapSegmentAtIndex(5));
    EXPECT_EQ(changes, 1);
    control->setEnabled(false);
    EXPECT_FALSE(control->tapSegmentAtIndex(2));
    control->setEnabled(true);
    control->setUserInteractionEnabled(false);
    EXPECT_FALSE(control->tapSegmentAtIndex(2));
    EXPECT_EQ(control->selectedSegmentIndex(), 1);
}

TEST(UISegmentedControl, TitleColoursFollowTheStates)
{
    auto control = UISegmentedControl::create(CGRectMake(0, 0, 300, 40), {"a", "b"});
    control->setTitleTextAttributes({UIColor::whiteColor(), UIColor::whiteColor()}, UIControlStateNormal);
    EXPECT_TRUE(UIColor::equal(control->labelForSegmentAtIndex(1)->textColor(), UIColor::whiteColor()));
    control->setTitleTextAttributes({UIColor::redColor(), nullptr}, UIControlStateSelected);
    control->setSelectedSegmentIndex(1);
    EXPECT_TRUE(UIColor::equal(control->labelForSegmentAtIndex(1)->textColor(), UIColor::redColor()));
    EXPECT_TRUE(UIColor::equal(control->labelForSegmentAtIndex(0)->textColor(), UIColor::whiteColor()));
    control->removeAllSegments();
    EXPECT_EQ(control->numberOfSegments(), 0);
    EXPECT_EQ(control->selectedSegmentIndex(), UISegmentedControl::UISegmentedControlNoSegment);
}
