#pragma once

#include "kit/StaticContentTableViewSection.h"
#include "platform/ui/UITableViewController.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A table screen whose content is declared in code rather than read from records: sections,
// each filled by a callback, holding row descriptions with their own configure and selection
// callbacks. The controller answers all of its table's questions from these lists.
//
// Screens subclass it and declare their content in viewDidLoad, after calling this class's,
// which empties the lists:
//
//     addSection([&](StaticContentTableViewSection& section, std::size_t) {
//         section.setTitle("...");
//         section.addCell([](StaticContentTableViewCell* row, UITableViewCell* cell, const NSIndexPath*) {
//             if (row)
//                 row->setCellHeight(60);
//             if (cell)
//                 cell->textLabel()->setText("...");
//         }, [weakScreen](const NSIndexPath&) { ... });
//     });
//
// addSection does not tell the table, which loads on its first layout; the insert and remove
// operations update a table already shown, with or without animation. Positions that are not
// there are refused with a log line and change nothing.
class StaticContentTableViewController : public UITableViewController {
public:
    using SectionBlock = StaticContentTableViewSection::SectionBlock;
    using ConfigureBlock = StaticContentTableViewCell::ConfigureBlock;
    using SelectionBlock = StaticContentTableViewCell::SelectionBlock;

    explicit StaticContentTableViewController(UITableViewStyle style = UITableViewStyle::Plain);

    void viewDidLoad() override;

    const std::vector<StaticContentTableViewSectionPtr>& staticContentSections() const { return m_sections; }
    // Null for a section that is not there.
    StaticContentTableViewSectionPtr sectionAtIndex(std::size_t index) const;

    // Makes a section, lets the callback fill it (with the index it is about to take) and appends it.
    StaticContentTableViewSectionPtr addSection(const SectionBlock& block);
    // As addSection, at the index (which may equal the number of sections), and tells the table.
    StaticContentTableViewSectionPtr insertSection(const SectionBlock& block, std::size_t index, bool animated = true);
    bool removeSectionAtIndex(std::size_t index, bool animated = true);
    // Empties the list without telling the table; the owner reloads it when it wants.
    void removeAllSections();

    // Hands the row to the section at the index path's section.
    StaticContentTableViewCellPtr insertCell(ConfigureBlock configure, const NSIndexPath& indexPath, bool animated);
    StaticContentTableViewCellPtr insertCell(ConfigureBlock configure, SelectionBlock whenSelected,
                                             const NSIndexPath& indexPath, bool animated);

    // Texts above and below the whole table. They become the table's header and footer views
    // only when set after the view has loaded; setting one to nothing takes its view away.
    const std::optional<std::string>& headerText() const { return m_headerText; }
    void setHeaderText(std::optional<std::string> text);
    const std::optional<std::string>& footerText() const { return m_footerText; }
    void setFooterText(std::optional<std::string> text);

    int numberOfSectionsInTableView(UITableView&) override;
    int tableViewNumberOfRowsInSection(UITableView&, int section) override;
    std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView& table, const NSIndexPath& indexPath) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(UITableView&, int section) override;
    bool tableViewCanEditRowAtIndexPath(UITableView&, const NSIndexPath& indexPath) override;
    bool tableViewCanMoveRowAtIndexPath(UITableView&, const NSIndexPath& indexPath) override;
    double tableViewHeightForRowAtIndexPath(UITableView&, const NSIndexPath& indexPath) override;
    UITableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(UITableView&, const NSIndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(UITableView& table, const NSIndexPath& indexPath) override;
    // A drag ends any typing in the screen, whether or not the text field agrees.
    void scrollViewDidEndDragging(UIScrollView&, bool willDecelerate) override;

private:
    StaticContentTableViewSectionPtr makeSection(const SectionBlock& block, std::size_t index);
    StaticContentTableViewCellPtr rowAt(const NSIndexPath& indexPath) const;
    // The table, when the view has loaded; never loads it.
    std::shared_ptr<UITableView> loadedTableView();
    // Gives every section its current place, after each change of the list.
    void renumberSections();

    std::vector<StaticContentTableViewSectionPtr> m_sections;
    std::optional<std::string> m_headerText;
    std::optional<std::string> m_footerText;
};

using StaticContentTableViewControllerPtr = std::shared_ptr<StaticContentTableViewController>;
