#include "kit/UICheckBoxGroup.h"

#include <gtest/gtest.h>

namespace {
class TapLog : public UICheckBoxButtonDelegater {
public:
    std::vector<std::pair<int, bool>> taps;
    void checkBoxButtonClick(int position, bool checked) override { taps.emplace_back(position, checked); }
};

class GroupLog : public CheckBoxGroupChangeDelegate {
public:
    std::vector<int> radios;
    std::vector<std::vector<int>> checks;
    void radioResult(int position) override { radios.push_back(position); }
    void checkResult(std::vector<int> positions) override
    {
        checks.push_back(positions);
        positions.push_back(99); // the group's own list must not change
    }
};

bool showsChecked(const UICheckBoxButton& box) { return box.icon()->image() == UIImage::imageNamed("Selected.png"); }
bool showsUnchecked(const UICheckBoxButton& box) { return box.icon()->image() == UIImage::imageNamed("Unselected.png"); }
} // namespace

TEST(UICheckBoxButton, LayoutPicturesAndTaps)
{
    auto box = UICheckBoxButton::create(CGRectMake(0, 0, 100, 30));
    EXPECT_EQ(box->icon()->frame(), CGRectMake(0, 0, 30, 30));
    EXPECT_EQ(box->label()->frame(), CGRectMake(37, 0, 60, 30));
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(showsUnchecked(*box));

    EXPECT_TRUE(box->tap()); // no delegate: nothing happens
    EXPECT_FALSE(box->isChecked());

    auto log = std::make_shared<TapLog>();
    box->setDelegate(log);
    box->setCurPos(3);
    box->tap();
    box->setChecked(true);
    box->tap();
    // A tap asks for the opposite state and changes nothing itself.
    EXPECT_EQ(log->taps, (std::vector<std::pair<int, bool>> {{3, true}, {3, false}}));
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(showsChecked(*box));

    // Setting the same state shows its picture again, even if something else was put there.
    box->icon()->setImage(nullptr);
    box->setChecked(true);
    EXPECT_TRUE(showsChecked(*box));

    // A box narrower than its caption margin gets an empty caption rather than a flipped one.
    EXPECT_EQ(UICheckBoxButton::create(CGRectMake(0, 0, 20, 30))->label()->frame().size.width, 0);
}

TEST(UICheckBoxGroup, RadioGroupMovesTheCheckAndReportsOnce)
{
    auto group = UICheckBoxGroup::create(CGRectMake(0, 0, 200, 30), {"整瓶", "开封"}, true, 1);
    ASSERT_EQ(group->btns().size(), 2u);
    EXPECT_EQ(group->btns()[0]->frame(), CGRectMake(0, 0, 100, 30));
    EXPECT_EQ(group->btns()[1]->frame(), CGRectMake(100, 0, 100, 30));
    EXPECT_FALSE(group->btns()[0]->isChecked());
    EXPECT_TRUE(group->btns()[1]->isChecked());

    auto log = std::make_shared<GroupLog>();
    group->setDelegate(log);
    group->btns()[1]->tap(); // the checked box: stays checked, nothing reported
    EXPECT_TRUE(group->btns()[1]->isChecked());
    EXPECT_TRUE(log->radios.empty());
    group->btns()[0]->tap();
    EXPECT_EQ(log->radios, std::vector<int> {0});
    EXPECT_EQ(group->selectedPos(), 0);
    EXPECT_TRUE(showsChecked(*group->btns()[0]));
    EXPECT_TRUE(showsUnchecked(*group->btns()[1]));
    log.reset(); // the delegate is gone: the check still moves
    group->btns()[1]->tap();
    EXPECT_EQ(group->selectedPos(), 1);

    // A starting position outside the boxes checks none.
    auto none = UICheckBoxGroup::create(CGRectMake(0, 0, 200, 30), {"a", "b"}, true, 5);
    EXPECT_FALSE(none->btns()[0]->isChecked());
    EXPECT_FALSE(none->btns()[1]->isChecked());
    EXPECT_TRUE(UICheckBoxGroup::create(CGRectMake(0, 0, 200, 30), {}, true)->btns().empty());
    none->checkBoxButtonClick(7, true); // not a box: ignored
    EXPECT_EQ(none->selectedPos(), 5);
}

TEST(UICheckBoxGroup, MultipleChoiceReportsCopiesInTheOrderChecked)
{
    auto group = UICheckBoxGroup::create(CGRectMake(0, 0, 300, 30), {"a", "b", "c"}, false, 0);
    EXPECT_FALSE(group->btns()[0]->isChecked()); // the starting position only counts for radio groups
    group->btns()[2]->tap(); // no delegate yet: the box still changes
    EXPECT_TRUE(group->btns()[2]->isChecked());
    group->btns()[2]->tap();

    auto log = std::make_shared<GroupLog>();
    group->setDelegate(log);
    group->btns()[2]->tap();
    group->btns()[0]->tap();
    group->btns()[2]->tap();
    EXPECT_EQ(log->checks, (std::vector<std::vector<int>> {{2}, {2, 0}, {0}}));
    EXPECT_EQ(group->selectedAry(), std::vector<int> {0});
    EXPECT_FALSE(group->btns()[2]->isChecked());
}

TEST(UICheckBoxGroup, DelegatesAreNotOwned)
{
    std::weak_ptr<UICheckBoxGroup> weakGroup;
    std::weak_ptr<GroupLog> weakLog;
    {
        auto group = UICheckBoxGroup::create(CGRectMake(0, 0, 200, 30), {"a", "b"}, true, 0);
        auto log = std::make_shared<GroupLog>();
        group->setDelegate(log);
        weakGroup = group;
        weakLog = log;
        EXPECT_EQ(group->btns()[0]->delegate(), group); // each box reports to its group
    }
    // Neither the boxes nor the group keep anything alive: no cycle is left behind.
    EXPECT_TRUE(weakGroup.expired());
    EXPECT_TRUE(weakLog.expired());
}
