#include "kit/StaticContentTableViewController.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {
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
