#include "InterfaceTestSupport.h"

#include "platform/ui/GestureDriver.h"
#include "platform/ui/UITableViewController.h"

#include "tests/support/SelectionLook.h"

#include <map>

namespace {

// A table described by plain data, answering like the screens' tables do, and writing down
// what the table asked and told.
class Rows : public UITableViewDataSource, public UITableViewDelegate {
public:
    std::vector<std::vector<std::string>> sections;
    std::map<int, std::string> headerTitles;
    std::map<NSIndexPath, double> heights;
    std::vector<std::string> events;
    int cellsMade = 0;
    std::optional<NSIndexPath> redirect;
    bool refuse = false;

    int numberOfSectionsInTableView(UITableView&) override { return static_cast<int>(sections.size()); }
    int tableViewNumberOfRowsInSection(UITableView&, int s) override
    {
        return static_cast<int>(sections.at(static_cast<std::size_t>(s)).size());
    }
    std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView& table, const NSIndexPath& p) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("Row");
        if (!cell) {
            cell = UITableViewCell::create(UITableViewCellStyle::Value1, "Row");
            ++cellsMade;
        }
        cell->textLabel()->setText(sections.at(static_cast<std::size_t>(p.section)).at(static_cast<std::size_t>(p.row)));
        return cell;
    }
    std::optional<std::string> tableViewTitleForHeaderInSection(UITableView&, int s) override
    {
        auto it = headerTitles.find(s);
        return it == headerTitles.end() ? std::nullopt : std::optional(it->second);
    }
    double tableViewHeightForRowAtIndexPath(UITableView&, const NSIndexPath& p) override
    {
        auto it = heights.find(p);
        return it == heights.end() ? UITableViewAutomaticDimension : it->second;
    }
    std::optional<NSIndexPath> tableViewWillSelectRowAtIndexPath(UITableView&, const NSIndexPath& p) override
    {
        events.push_back("will select " + p.description());
        if (refuse)
            return std::nullopt;
        return redirect ? redirect : p;
    }
    void tableViewDidSelectRowAtIndexPath(UITableView&, const NSIndexPath& p) override
    {
        events.push_back("did select " + p.description());
    }
    void tableViewDidDeselectRowAtIndexPath(UITableView&, const NSIndexPath& p) override
    {
        events.push_back("did deselect " + p.description());
    }
};

std::vector<std::string> numbered(int count)
{
    std::vector<std::string> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back("row " + std::to_string(i));
    return rows;
}

class TableViewTest : public InterfaceTest {
protected:
    void SetUp() override
    {
        InterfaceTest::SetUp();
        table->setDataSource(rows);
        table->setDelegate(rows);
    }
    std::string textAt(const NSIndexPath& p)
    {
        auto cell = table->cellForRowAtIndexPath(p);
        return cell ? cell->textLabel()->text() : "(none)";
    }

    std::shared_ptr<Rows> rows = std::make_shared<Rows>();
    std::shared_ptr<UITableView> table = UITableView::create(CGRectMake(0, 0, 250, 200), UITableViewStyle::Grouped);
};

} // namespace

TEST_F(TableViewTest, SectionsStackTheirHeadersRowsAndFooters)
{
    rows->sections = {{"点  单", "会员卡赠"}, {}, {"房台号"}};
    rows->headerTitles = {{2, "房台信息"}};
    rows->heights = {{{0, 0}, 60}, {{0, 1}, 60}};
    table->setRowHeight(30);
    table->setSectionHeaderHeight(2);
    table->layoutIfNeeded();

    EXPECT_EQ(table->numberOfRowsInSection(7), 0);
    // Header 2, two rows of 60, grouped footer 10; empty section 2 + 10; a titled header keeps
    // the 38 points its title needs, then a row of 30.
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 1}), CGRectMake(0, 62, 250, 60));
    EXPECT_EQ(table->rectForHeaderInSection(2), CGRectMake(0, 144, 250, 38));
    EXPECT_EQ(table->rectForRowAtIndexPath({2, 0}), CGRectMake(0, 182, 250, 30));
    EXPECT_EQ(table->contentSize().height, 222);
    EXPECT_EQ(table->rectForRowAtIndexPath({2, 1}), CGRectZero);

    // The titled section heads itself with its title; the others have no header view.
    auto header = table->headerViewForSection(2);
    ASSERT_TRUE(header);
    auto label = std::dynamic_pointer_cast<UILabel>(header->subviews().at(0));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "房台信息");
    EXPECT_EQ(label->frame(), CGRectMake(15, 0, 220, 38));
    EXPECT_EQ(table->headerViewForSection(0), nullptr);
}

TEST_F(TableViewTest, OnlyRowsInViewHaveCellsAndCellsAreReusedByIdentifier)
{
    rows->sections = {numbered(20)};
    table->layoutIfNeeded();
    // 200 points of 44-point rows, after a 10-point grouped header: rows 0 to 4.
    EXPECT_EQ(table->visibleCells().size(), 5u);
    EXPECT_EQ(rows->cellsMade, 5);
    EXPECT_EQ(textAt({0, 4}), "row 4");
    EXPECT_EQ(textAt({0, 5}), "(none)");

    auto first = table->cellForRowAtIndexPath({0, 0});
    table->selectRowAtIndexPath({0, 0}, false, UITableViewScrollPosition::None);
    EXPECT_TRUE(first->isSelected());
    table->setContentOffset({0, 450}); // rows 10 to 14 exactly
    EXPECT_EQ(rows->cellsMade, 5); // the rows coming in took the cells that went out
    EXPECT_EQ(textAt({0, 10}), "row 10");
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 0}), nullptr);
    for (const auto& cell : table->visibleCells())
        EXPECT_FALSE(cell->isSelected()); // a reused cell does not carry the old row's selection

    table->setContentOffset({0, 0});
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 0})->isSelected()); // the row still is selected
    EXPECT_EQ(table->indexPathForSelectedRow(), (NSIndexPath {0, 0}));
}

TEST_F(TableViewTest, ReloadsAndUpdatesMustMatchTheDataSource)
{
    rows->sections = {{"a"}};
    table->layoutIfNeeded();
    rows->sections = {{"a"}, {"b", "c"}};
    EXPECT_EQ(table->numberOfSections(), 1); // the table knows what it loaded
    table->reloadData();
    table->layoutIfNeeded();
    EXPECT_EQ(textAt({1, 1}), "c");
    EXPECT_EQ(rows->cellsMade, 3);

    rows->sections = {numbered(2)};
    table->reloadData();
    table->layoutIfNeeded();

    rows->sections[0].insert(rows->sections[0].begin() + 1, "new");
    table->insertRowsAtIndexPaths({{0, 1}}, UITableViewRowAnimation::Automatic);
    EXPECT_EQ(textAt({0, 1}), "new");
    EXPECT_EQ(textAt({0, 2}), "row 1");

    rows->sections.push_back({"x"});
    table->insertSections({1}, UITableViewRowAnimation::Fade);
    EXPECT_EQ(textAt({1, 0}), "x");

    table->beginUpdates();
    rows->sections.erase(rows->sections.begin() + 1);
    table->deleteSections({1}, UITableViewRowAnimation::Automatic);
    rows->sections[0].erase(rows->sections[0].begin());
    table->deleteRowsAtIndexPaths({{0, 0}}, UITableViewRowAnimation::None);
    EXPECT_EQ(table->numberOfSections(), 2); // nothing happens before the batch ends
    table->endUpdates();
    EXPECT_EQ(table->numberOfSections(), 1);
    EXPECT_EQ(textAt({0, 0}), "new");
    EXPECT_TRUE(log.lines().empty());

    // A data source that does not match the update: a log line, and the table shows what is there.
    rows->sections[0].push_back("one");
    rows->sections[0].push_back("two");
    table->insertRowsAtIndexPaths({{0, 2}}, UITableViewRowAnimation::Automatic);
    EXPECT_TRUE(log.contains("invalid update: section 0 has 4 rows after the update, not 3"));
    EXPECT_EQ(table->numberOfRowsInSection(0), 4);
    rows->sections.push_back({});
    table->deleteSections({0}, UITableViewRowAnimation::Automatic);
    EXPECT_TRUE(log.contains("the number of sections after the update (2)"));
}

TEST_F(TableViewTest, TappingARowGoesThroughTheDelegate)
{
    rows->sections = {numbered(3)};
    table->layoutIfNeeded();
    EXPECT_TRUE(table->tapRowAtIndexPath({0, 0}));
    EXPECT_TRUE(table->tapRowAtIndexPath({0, 2}));
    EXPECT_EQ(rows->events, (std::vector<std::string> {"will select [0, 0]", "did select [0, 0]", "will select [0, 2]",
                                                       "did deselect [0, 0]", "did select [0, 2]"}));
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<NSIndexPath> {{0, 2}}));

    rows->events.clear();
    rows->redirect = NSIndexPath {0, 1};
    table->tapRowAtIndexPath({0, 0});
    EXPECT_EQ(table->indexPathForSelectedRow(), (NSIndexPath {0, 1}));
    rows->redirect.reset();
    rows->refuse = true;
    table->tapRowAtIndexPath({0, 2});
    EXPECT_EQ(table->indexPathForSelectedRow(), (NSIndexPath {0, 1}));
    rows->refuse = false;

    table->setAllowsMultipleSelection(true);
    table->tapRowAtIndexPath({0, 2});
    EXPECT_EQ(table->indexPathsForSelectedRows().size(), 2u);
    table->tapRowAtIndexPath({0, 2}); // a second tap takes a row out of a multiple selection
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<NSIndexPath> {{0, 1}}));

    EXPECT_FALSE(table->tapRowAtIndexPath({0, 3}));
    EXPECT_FALSE(table->tapRowAtIndexPath({1, 0}));
    table->setAllowsSelection(false);
    EXPECT_FALSE(table->tapRowAtIndexPath({0, 0}));
}

// Every way a row is let go takes its look with it, not only its place in the selection.
TEST_F(TableViewTest, ARowLooksSelectedExactlyWhileItIsSelected)
{
    rows->sections = {numbered(3)};
    table->layoutIfNeeded();
    const auto lookAt = [&](int row) { return selectionLook(*table->cellForRowAtIndexPath({0, row})); };
    const std::string lit = "selected, fill, lit text, lit detail";
    EXPECT_EQ(lookAt(0), "plain");

    table->tapRowAtIndexPath({0, 0});
    EXPECT_EQ(lookAt(0), lit);
    table->tapRowAtIndexPath({0, 1}); // one row at a time: the table lets the first go itself
    EXPECT_EQ(lookAt(0), "plain");
    EXPECT_EQ(lookAt(1), lit);
    table->deselectRowAtIndexPath({0, 1}, true);
    EXPECT_EQ(lookAt(1), "plain");

    table->selectRowAtIndexPath({0, 2}, false, UITableViewScrollPosition::None);
    EXPECT_EQ(lookAt(2), lit);
    table->selectRowAtIndexPath({0, 0}, false, UITableViewScrollPosition::None);
    EXPECT_EQ(lookAt(2), "plain");
    table->deselectRowAtIndexPath({0, 0}, false);
    EXPECT_EQ(lookAt(0), "plain");

    table->setAllowsMultipleSelection(true);
    table->tapRowAtIndexPath({0, 1});
    table->tapRowAtIndexPath({0, 2});
    EXPECT_EQ(lookAt(1), lit);
    table->tapRowAtIndexPath({0, 2}); // taken out of the collection
    EXPECT_EQ(lookAt(2), "plain");
    EXPECT_EQ(lookAt(1), lit);
}

TEST_F(TableViewTest, CellsPlaceTheirLabelsByStyleAndKeepAccessoriesRight)
{
    auto value = UITableViewCell::create(UITableViewCellStyle::Value1, "DetailTextCell");
    ASSERT_TRUE(value->detailTextLabel());
    EXPECT_EQ(value->detailTextLabel()->textAlignment(), NSTextAlignment::Right);

    value->setFrame(CGRectMake(0, 0, 250, 30));
    value->layoutIfNeeded();
    EXPECT_LT(CGRectGetMaxX(value->textLabel()->frame()), value->detailTextLabel()->frame().origin.x + 1);

    auto badge = UIView::create(CGRectMake(0, 0, 20, 20));
    value->setAccessoryView(badge);
    value->layoutIfNeeded();
    EXPECT_EQ(badge->superview(), value.get());
    EXPECT_EQ(CGRectGetMaxX(badge->frame()), 250 - 15);
    EXPECT_LE(CGRectGetMaxX(value->contentView()->frame()), badge->frame().origin.x);
    value->setAccessoryView(nullptr);
    EXPECT_EQ(badge->superview(), nullptr);

    value->setSelectionStyle(UITableViewCellSelectionStyle::None);
    value->setSelected(true);
    EXPECT_FALSE(value->showsSelection());
}

// Cells, taps and deselection through a table controller are left to the static-content tables.
TEST_F(TableViewTest, ATableControllerHearsItsTableScrollAndClearsItsSelectionOnComingBack)
{
    class Facts : public UITableViewController {
    public:
        using UITableViewController::UITableViewController;
        int dragsEnded = 0;
        int tableViewNumberOfRowsInSection(UITableView&, int) override { return 3; }
        std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView&, const NSIndexPath&) override
        {
            return UITableViewCell::create(UITableViewCellStyle::Default, "");
        }
        void scrollViewDidEndDragging(UIScrollView&, bool) override { ++dragsEnded; }
    };
    auto facts = std::make_shared<Facts>(UITableViewStyle::Grouped);
    show(facts);
    auto tableView = facts->tableView();
    ASSERT_TRUE(tableView);
    EXPECT_EQ(tableView->style(), UITableViewStyle::Grouped);

    auto& pan = *tableView->panGestureRecognizer();
    tableView->setContentSize({1024, 2000});
    GestureDriver::begin(pan, {{100, 300}});
    GestureDriver::change(pan, {{100, 200}});
    GestureDriver::end(pan);
    EXPECT_EQ(facts->dragsEnded, 1);

    tableView->selectRowAtIndexPath({0, 0}, false, UITableViewScrollPosition::None);
    facts->beginAppearanceTransition(false, false);
    facts->endAppearanceTransition();
    facts->beginAppearanceTransition(true, false);
    EXPECT_FALSE(tableView->indexPathForSelectedRow());
}
