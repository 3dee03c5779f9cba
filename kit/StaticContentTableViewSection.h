#pragma once

#include "kit/StaticContentTableViewCell.h"
#include "platform/ui/UITableView.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A section of a static table: an optional header title over its rows.
//
// Rows are declared inside the callback that fills the section (addCell); once the section is
// in the table, insertCell and removeCellAtIndex also update the table, with or without
// animation. A section tells the table only while it holds a place in it: rows added in the
// filling callback, or to a section already taken out, change the list alone. The table is not
// owned; the controller that shows the section keeps its place up to date.
class StaticContentTableViewSection {
public:
    using SectionBlock = std::function<void(StaticContentTableViewSection& section, std::size_t index)>;
    using ConfigureBlock = StaticContentTableViewCell::ConfigureBlock;
    using SelectionBlock = StaticContentTableViewCell::SelectionBlock;

    explicit StaticContentTableViewSection(std::weak_ptr<UITableView> tableView);

    const std::vector<StaticContentTableViewCellPtr>& staticContentCells() const { return m_cells; }
    // Null for a row that is not there.
    StaticContentTableViewCellPtr cellAtIndex(std::size_t index) const;

    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title) { m_title = std::move(title); }

    std::shared_ptr<UITableView> tableView() const { return m_tableView.lock(); }
    // The section's place in its table, or nothing while it is not shown there.
    std::optional<std::size_t> indexInTable() const { return m_indexInTable; }

    // Appends a row; its configure callback runs at once with the new description.
    StaticContentTableViewCellPtr addCell(ConfigureBlock configure, SelectionBlock whenSelected = {});
    // Puts a row at the index path's row (which may equal the number of rows) and tells the
    // table; the index path's section is this section's own place. Null, and nothing changed,
    // for a row position that is not there.
    StaticContentTableViewCellPtr insertCell(ConfigureBlock configure, SelectionBlock whenSelected,
                                             const NSIndexPath& indexPath, bool animated);
    // False, and nothing changed, for a row that is not there.
    bool removeCellAtIndex(std::size_t index, bool animated = true);
    // Empties the list without telling the table; the owner reloads it when it wants.
    void removeAllCells() { m_cells.clear(); }

private:
    friend class StaticContentTableViewController;
    void setIndexInTable(std::optional<std::size_t> index) { m_indexInTable = index; }
    StaticContentTableViewCellPtr makeCell(ConfigureBlock configure, SelectionBlock whenSelected);
    // The table, while the section has a place in it.
    std::shared_ptr<UITableView> shownIn() const;

    std::vector<StaticContentTableViewCellPtr> m_cells;
    std::optional<std::string> m_title;
    std::weak_ptr<UITableView> m_tableView;
    std::optional<std::size_t> m_indexInTable;
};

using StaticContentTableViewSectionPtr = std::shared_ptr<StaticContentTableViewSection>;
