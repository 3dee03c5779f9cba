#include "kit/StaticContentTableViewController.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/UITextField.h"
#include "platform/ui/UIWindow.h"

#include "tests/support/SelectionLook.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {
// Declares its content the way a details screen does: a tappable action row in a section of its
// own, titled fact rows in the value-1 style, and a titled section left empty.
class DetailsScreen : public StaticContentTableViewController {
public:
    std::vector<std::size_t> sectionIndices;
    std::vector<std::string> configureCalls; // which arguments the action row's callback was given
    std::vector<NSIndexPath> taps;

    void viewDidLoad() override
    {
        StaticContentTableViewController::viewDidLoad();
        tableView()->setRowHeight(30);
        addSection([this](StaticContentTableViewSection& section, std::size_t index) {
            sectionIndices.push_back(index);
            section.addCell(
                [this](StaticContentTableViewCell* row, UITableViewCell* cell, const NSIndexPath* path) {
                    configureCalls.push_back(std::string(row ? "row" : "") + (cell ? "cell" : "") + (path ? "path" : ""));
                    if (row)
                        row->setCellHeight(60);
                    if (cell)
                        cell->textLabel()->setText("点  单");
                },
                [this](const NSIndexPath& indexPath) { taps.push_back(indexPath); });
        });
        addSection([this](StaticContentTableViewSection& section, std::size_t index) {
            sectionIndices.push_back(index);
            section.setTitle("房台信息");
            for (const char* label : {"房台号", "房台类"}) {
                section.addCell([label](StaticContentTableViewCell* row, UITableViewCell* cell, const NSIndexPath*) {
                    if (row) {
                        row->setCellStyle(UITableViewCellStyle::Value1);
                        row->setReuseIdentifier("DetailTextCell");
                    }
                    if (cell) {
                        cell->textLabel()->setText(label);
                        cell->detailTextLabel()->setText("101");
                    }
                });
            }
        });
        addSection([this](StaticContentTableViewSection& section, std::size_t index) {
            sectionIndices.push_back(index);
            section.setTitle("预定信息");
        });
    }
};

class MarkedCell : public UITableViewCell {
public:
    using UITableViewCell::UITableViewCell;
};

StaticContentTableViewSection::SectionBlock titledWithRows(std::string title, int rows)
{
    return [title, rows](StaticContentTableViewSection& section, std::size_t) {
        section.setTitle(title);
        for (int i = 0; i < rows; ++i)
            section.addCell({});
    };
}

// The section titles and row counts as the table itself has them, e.g. "A1 B2".
std::string shown(StaticContentTableViewController& screen, UITableView& table)
{
    std::string text;
    for (int s = 0; s < table.numberOfSections(); ++s)
        text += (s ? " " : "") + screen.tableViewTitleForHeaderInSection(table, s).value_or("-")
            + std::to_string(table.numberOfRowsInSection(s));
    return text;
}

struct Shown {
    std::shared_ptr<StaticContentTableViewController> screen = std::make_shared<StaticContentTableViewController>();
    std::shared_ptr<UITableView> table = screen->tableView(); // loading empties the lists, so it comes first
    Shown()
    {
        screen->addSection(titledWithRows("A", 1));
        screen->addSection(titledWithRows("B", 2));
        table->layoutIfNeeded();
    }
};
} // namespace

TEST(StaticContentTableViewController, DeclaredContentFillsTheTable)
{
    auto screen = std::make_shared<DetailsScreen>();
    // Content declared before the view loads is dropped: the screen builds its own on loading.
    screen->addSection([](StaticContentTableViewSection& section, std::size_t) { section.addCell({}); });
    auto table = screen->tableView();
    table->layoutIfNeeded();

    EXPECT_EQ(screen->sectionIndices, (std::vector<std::size_t> {0, 1, 2}));
    EXPECT_EQ(shown(*screen, *table), "-1 房台信息2 预定信息0");
    EXPECT_EQ(table->headerViewForSection(0), nullptr);
    EXPECT_NE(table->headerViewForSection(2), nullptr); // an empty section is still headed by its title
    // A row's own height wins; a row that leaves it automatic takes the table's.
    EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath({0, 0}).size.height, 60);
    EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath({1, 0}).size.height, 30);

    // Style and identifier set on the description when declared, texts set on the cell when shown.
    auto fact = table->cellForRowAtIndexPath({1, 1});
    ASSERT_NE(fact, nullptr);
    EXPECT_EQ(fact->style(), UITableViewCellStyle::Value1);
    EXPECT_EQ(fact->reuseIdentifier(), "DetailTextCell");
    EXPECT_EQ(fact->textLabel()->text(), "房台类");
    EXPECT_EQ(fact->detailTextLabel()->text(), "101");
    auto action = table->cellForRowAtIndexPath({0, 0});
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->reuseIdentifier(), "DefaultCell");
    EXPECT_EQ(action->textLabel()->text(), "点  单");

    table->reloadData();
    table->layoutIfNeeded();
    EXPECT_EQ(screen->configureCalls, (std::vector<std::string> {"row", "cellpath", "cellpath"}));
}

TEST(StaticContentTableViewController, ReusedCellsCarryNothingOverFromTheirLastRow)
{
    auto screen = std::make_shared<StaticContentTableViewController>();
    auto table = screen->tableView();
    auto picture = UIImage::imageNamed("Selected.png");
    screen->addSection([&](StaticContentTableViewSection& section, std::size_t) {
        section.addCell([&](StaticContentTableViewCell*, UITableViewCell* cell, const NSIndexPath*) {
            if (cell) {
                cell->imageView()->setImage(picture);
                cell->setAccessoryView(UIView::create(CGRectMake(0, 0, 20, 20)));
            }
        });
        section.addCell({});
    });
    table->layoutIfNeeded();
    auto dressed = table->cellForRowAtIndexPath({0, 0});

    // Both rows share the default identifier, so a reload hands the first row's cell to the second.
    table->reloadData();
    table->layoutIfNeeded();
    auto plain = table->cellForRowAtIndexPath({0, 1});
    ASSERT_EQ(plain, dressed);
    EXPECT_EQ(plain->imageView()->image(), nullptr);
    EXPECT_EQ(plain->accessoryView(), nullptr);
    auto again = table->cellForRowAtIndexPath({0, 0});
    EXPECT_EQ(again->imageView()->image(), picture);
    EXPECT_NE(again->accessoryView(), nullptr);
}

TEST(StaticContentTableViewController, CellClassesAndEditingAnswersComeFromTheRow)
{
    auto screen = std::make_shared<StaticContentTableViewController>();
    auto table = screen->tableView();
    LogCapture log;
    screen->addSection([](StaticContentTableViewSection& section, std::size_t) {
        section.addCell([](StaticContentTableViewCell* row, UITableViewCell*, const NSIndexPath*) {
            if (!row)
                return;
            row->setTableViewCellSubclass<MarkedCell>();
            row->setEditable(true);
            row->setEditingStyle(UITableViewCellEditingStyle::Delete);
        });
        // A cell class that makes nothing still leaves the row a cell.
        section.addCell([](StaticContentTableViewCell* row, UITableViewCell*, const NSIndexPath*) {
            if (row)
                row->setTableViewCellSubclass([](UITableViewCellStyle, const std::string&) { return nullptr; });
        });
    });
    table->layoutIfNeeded();
    EXPECT_NE(std::dynamic_pointer_cast<MarkedCell>(table->cellForRowAtIndexPath({0, 0})), nullptr);
    EXPECT_NE(table->cellForRowAtIndexPath({0, 1}), nullptr);
    EXPECT_TRUE(log.contains("made no cell"));
    EXPECT_TRUE(screen->tableViewCanEditRowAtIndexPath(*table, {0, 0}));
    EXPECT_EQ(screen->tableViewEditingStyleForRowAtIndexPath(*table, {0, 0}), UITableViewCellEditingStyle::Delete);
    EXPECT_FALSE(screen->tableViewCanEditRowAtIndexPath(*table, {0, 1}));

    // Questions about rows that are not there get the answers of an empty row.
    for (const NSIndexPath missing : {NSIndexPath {0, 2}, NSIndexPath {1, 0}, NSIndexPath {-1, 0}, NSIndexPath {0, -1}}) {
        EXPECT_EQ(screen->tableViewCellForRowAtIndexPath(*table, missing), nullptr);
        EXPECT_DOUBLE_EQ(screen->tableViewHeightForRowAtIndexPath(*table, missing), UITableViewAutomaticDimension);
        screen->tableViewDidSelectRowAtIndexPath(*table, missing);
    }
    EXPECT_EQ(screen->tableViewNumberOfRowsInSection(*table, 5), 0);
    EXPECT_EQ(screen->tableViewTitleForHeaderInSection(*table, -1), std::nullopt);
}

TEST(StaticContentTableViewController, TapsRunTheRowActionAndLetTheSelectionGo)
{
    auto screen = std::make_shared<DetailsScreen>();
    auto table = screen->tableView();
    EXPECT_TRUE(table->tapRowAtIndexPath({0, 0}));
    EXPECT_EQ(screen->taps, (std::vector<NSIndexPath> {{0, 0}}));
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
    EXPECT_EQ(selectionLook(*table->cellForRowAtIndexPath({0, 0})), "plain"); // not left lit either
    EXPECT_TRUE(table->tapRowAtIndexPath({1, 0})); // a fact row: only deselected
    EXPECT_EQ(screen->taps.size(), 1u);
    EXPECT_EQ(table->indexPathForSelectedRow(), std::nullopt);
    EXPECT_EQ(selectionLook(*table->cellForRowAtIndexPath({1, 0})), "plain");

    // A table that collects rows keeps them selected; while editing, its editing rule counts.
    table->setAllowsMultipleSelection(true);
    table->tapRowAtIndexPath({1, 0});
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<NSIndexPath> {{1, 0}}));
    EXPECT_EQ(selectionLook(*table->cellForRowAtIndexPath({1, 0})), "selected, fill, lit text, lit detail");
    table->setEditing(true);
    table->tapRowAtIndexPath({1, 1});
    EXPECT_EQ(table->indexPathsForSelectedRows(), std::vector<NSIndexPath> {});
    table->setAllowsMultipleSelectionDuringEditing(true);
    table->tapRowAtIndexPath({1, 1});
    EXPECT_EQ(table->indexPathsForSelectedRows(), (std::vector<NSIndexPath> {{1, 1}}));
}

TEST(StaticContentTableViewController, AnActionMayRemoveItsOwnRow)
{
    auto screen = std::make_shared<StaticContentTableViewController>();
    auto table = screen->tableView();
    std::vector<std::string> heard;
    std::weak_ptr<StaticContentTableViewController> weak = screen;
    screen->addSection([&](StaticContentTableViewSection& section, std::size_t) {
        // State held by the callback, still read after the row that owned the callback is gone.
        const std::string said = "closing";
        section.addCell({}, [&heard, said, weak](const NSIndexPath&) {
            if (auto self = weak.lock())
                self->removeSectionAtIndex(0);
            heard.push_back(said);
        });
    });
    EXPECT_TRUE(table->tapRowAtIndexPath({0, 0}));
    EXPECT_EQ(heard, (std::vector<std::string> {"closing"}));
    EXPECT_EQ(table->numberOfSections(), 0);
}

TEST(StaticContentTableViewController, HeaderAndFooterTexts)
{
    auto screen = std::make_shared<StaticContentTableViewController>();
    screen->setHeaderText("stored only");
    auto table = screen->tableView();
    EXPECT_EQ(table->tableHeaderView(), nullptr); // set before loading: never shown

    screen->setHeaderText("说明");
    screen->setFooterText("说明");
    auto header = table->tableHeaderView();
    auto footer = table->tableFooterView();
    ASSERT_TRUE(header && footer && header->subviews().size() == 1 && footer->subviews().size() == 1);
    auto headerLabel = std::dynamic_pointer_cast<UILabel>(header->subviews()[0]);
    auto footerLabel = std::dynamic_pointer_cast<UILabel>(footer->subviews()[0]);
    ASSERT_TRUE(headerLabel && footerLabel);
    EXPECT_EQ(headerLabel->text(), "说明");
    const double lineHeight = footerLabel->frame().size.height - 10;
    EXPECT_GT(lineHeight, 0);
    // The header's label has ten more points of room and its container ten more below it.
    EXPECT_EQ(headerLabel->frame(), CGRectMake(20, 10, 280, lineHeight + 20));
    EXPECT_EQ(footerLabel->frame(), CGRectMake(30, 0, 260, lineHeight + 10));
    EXPECT_DOUBLE_EQ(header->frame().size.height, lineHeight + 30);
    EXPECT_DOUBLE_EQ(footer->frame().size.height, lineHeight + 20);

    // A long text wraps within the label's width instead of running off the table.
    std::string longText;
    for (int i = 0; i < 30; ++i)
        longText += "words ";
    screen->setHeaderText(longText);
    headerLabel = std::dynamic_pointer_cast<UILabel>(table->tableHeaderView()->subviews()[0]);
    EXPECT_GT(headerLabel->frame().size.height, lineHeight * 2 + 20);

    screen->setHeaderText(std::nullopt);
    EXPECT_EQ(table->tableHeaderView(), nullptr);
    EXPECT_EQ(table->tableFooterView(), footer);
}

TEST(StaticContentTableViewController, DraggingEndsTypingEvenWhenTheFieldObjects)
{
    class Stubborn : public UITextFieldDelegate {
    public:
        bool textFieldShouldEndEditing(UITextField&) override { return false; }
    };
    auto window = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    auto screen = std::make_shared<StaticContentTableViewController>();
    window->addSubview(screen->view());
    auto field = UITextField::create(CGRectMake(0, 0, 200, 30));
    auto stubborn = std::make_shared<Stubborn>();
    field->setDelegate(stubborn);
    screen->view()->addSubview(field);
    ASSERT_TRUE(field->becomeFirstResponder());
    ASSERT_FALSE(field->resignFirstResponder());

    screen->scrollViewDidEndDragging(*screen->tableView(), false);
    EXPECT_FALSE(field->isFirstResponder());
}

TEST(StaticContentTableUpdates, InsertAndRemoveKeepTheTableInStep)
{
    Shown t;
    LogCapture log; // the table logs every update whose counts do not match the change

    // Without animation the table reloads.
    std::size_t given = 99;
    const auto addC = [&given](StaticContentTableViewSection& section, std::size_t index) {
        given = index;
        section.setTitle("C");
    };
    t.screen->insertSection(addC, 2, false);
    EXPECT_EQ(given, 2u);
    t.screen->sectionAtIndex(0)->removeCellAtIndex(0, false);
    EXPECT_EQ(t.table->lastUpdateAnimation(), std::nullopt);
    EXPECT_EQ(shown(*t.screen, *t.table), "A0 B2 C0");

    // With animation the table is told each change; a section updates its rows at its current
    // place, which moves as sections come and go before it.
    auto b = t.screen->sectionAtIndex(1);
    ASSERT_NE(t.screen->insertSection(titledWithRows("N", 1), 0), nullptr);
    EXPECT_EQ(t.table->lastUpdateAnimation(), UITableViewRowAnimation::Automatic);
    ASSERT_NE(b->insertCell({}, {}, {2, 2}, true), nullptr);
    ASSERT_NE(t.screen->insertCell({}, {0, 0}, true), nullptr);
    EXPECT_EQ(shown(*t.screen, *t.table), "N2 A0 B3 C0");
    EXPECT_TRUE(t.screen->removeSectionAtIndex(1));
    EXPECT_TRUE(b->removeCellAtIndex(0));
    EXPECT_EQ(shown(*t.screen, *t.table), "N2 B2 C0");
    EXPECT_TRUE(log.lines().empty()) << log.lines().front();
}

TEST(StaticContentTableUpdates, ListChangesTheTableIsNotToldOf)
{
    Shown t;
    LogCapture log;
    // Emptying the lists leaves the table showing the old content until it is reloaded.
    auto b = t.screen->sectionAtIndex(1);
    b->removeAllCells();
    t.screen->removeAllSections();
    EXPECT_EQ(shown(*t.screen, *t.table), "-1 -2");

    // A section taken out of the table no longer updates it, nor does one still being filled.
    b->insertCell({}, {}, {0, 0}, true);
    EXPECT_EQ(b->staticContentCells().size(), 1u);
    t.screen->addSection([](StaticContentTableViewSection& section, std::size_t) {
        section.insertCell({}, {}, {0, 0}, true);
        section.removeCellAtIndex(0, true);
        section.addCell({});
    });
    EXPECT_EQ(t.table->lastUpdateAnimation(), std::nullopt);
    t.table->reloadData();
    EXPECT_EQ(shown(*t.screen, *t.table), "-1");
    EXPECT_TRUE(log.lines().empty());
}

TEST(StaticContentTableUpdates, PositionsThatAreNotThereChangeNothing)
{
    Shown t;
    LogCapture log;
    bool built = false;
    const auto marks = [&built](auto&&...) { built = true; };

    EXPECT_EQ(t.screen->insertSection(marks, 3), nullptr);
    EXPECT_FALSE(t.screen->removeSectionAtIndex(2));
    EXPECT_EQ(t.screen->insertCell(marks, {2, 0}, true), nullptr);
    EXPECT_EQ(t.screen->insertCell(marks, {-1, 0}, true), nullptr);
    auto a = t.screen->sectionAtIndex(0);
    EXPECT_EQ(a->insertCell(marks, {}, {0, 2}, true), nullptr);
    EXPECT_EQ(a->insertCell(marks, {}, {0, -1}, true), nullptr);
    EXPECT_FALSE(a->removeCellAtIndex(1));

    EXPECT_FALSE(built);
    EXPECT_EQ(log.lines().size(), 7u);
    EXPECT_EQ(shown(*t.screen, *t.table), "A1 B2");
    EXPECT_EQ(a->staticContentCells().size(), 1u);
    EXPECT_EQ(t.screen->sectionAtIndex(2), nullptr);
}
