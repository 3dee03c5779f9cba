#include "kit/StaticContentTableViewController.h"

#include "platform/foundation/Log.h"

#include <algorithm>

namespace {
// The view shown above or below the whole table: a centred, wrapping label in a slate blue with
// a light shadow, in a container as high as the text plus its margins.
std::shared_ptr<UIView> makeTextView(const std::string& text, bool header)
{
    auto container = UIView::create(CGRectMake(0, 0, 320, 0));
    auto label = UILabel::create(CGRectMake(10, 10, 280, 0));
    label->setBackgroundColor(UIColor::clearColor());
    label->setFont(UIFont::systemFontOfSize(15));
    label->setTextColor(UIColor::colorWithRed(61.0 / 255, 77.0 / 255, 99.0 / 255, 1));
    label->setOpaque(true);
    label->setShadowColor(UIColor::colorWithWhite(1, 0.65));
    label->setShadowOffset({0, 1});
    label->setTextAlignment(NSTextAlignment::Center);
    label->setNumberOfLines(0);
    label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    label->setText(text);
    label->sizeToFit();
    const double textHeight = label->frame().size.height;

    CGRect frame = container->frame();
    frame.size.height = textHeight + 10;
    label->setFrame(frame);
    container->addSubview(label);
    if (header)
        label->setFrame(CGRectMake(20, 10, 280, textHeight + 20));
    else
        label->setFrame(CGRectMake(30, 0, 260, label->frame().size.height));

    frame = container->frame();
    frame.size.height = label->frame().size.height + 10;
    container->setFrame(frame);
    return container;
}
} // namespace

StaticContentTableViewController::StaticContentTableViewController(UITableViewStyle style)
    : UITableViewController(style)
{
}

void StaticContentTableViewController::viewDidLoad()
{
    UITableViewController::viewDidLoad();
    removeAllSections();
}

std::shared_ptr<UITableView> StaticContentTableViewController::loadedTableView()
{
    return isViewLoaded() ? tableView() : nullptr;
}

StaticContentTableViewSectionPtr StaticContentTableViewController::sectionAtIndex(std::size_t index) const
{
    return index < m_sections.size() ? m_sections[index] : nullptr;
}

StaticContentTableViewCellPtr StaticContentTableViewController::rowAt(const NSIndexPath& indexPath) const
{
    if (indexPath.section < 0 || indexPath.row < 0)
        return nullptr;
    auto section = sectionAtIndex(static_cast<std::size_t>(indexPath.section));
    return section ? section->cellAtIndex(static_cast<std::size_t>(indexPath.row)) : nullptr;
}

void StaticContentTableViewController::renumberSections()
{
    for (std::size_t i = 0; i < m_sections.size(); ++i)
        m_sections[i]->setIndexInTable(i);
}

StaticContentTableViewSectionPtr StaticContentTableViewController::makeSection(const SectionBlock& block, std::size_t index)
{
    auto section = std::make_shared<StaticContentTableViewSection>(loadedTableView());
    if (block)
        block(*section, index);
    return section;
}

StaticContentTableViewSectionPtr StaticContentTableViewController::addSection(const SectionBlock& block)
{
    auto section = makeSection(block, m_sections.size());
    m_sections.push_back(section);
    renumberSections();
    return section;
}

StaticContentTableViewSectionPtr StaticContentTableViewController::insertSection(const SectionBlock& block, std::size_t index,
                                                                                 bool animated)
{
    if (index > m_sections.size()) {
        NSLog("StaticContentTableViewController: no section position %zu in a table of %zu sections", index,
              m_sections.size());
        return nullptr;
    }
    auto section = makeSection(block, index);
    // The callback may have added sections of its own; the position is kept within the list.
    const auto at = std::min(index, m_sections.size());
    m_sections.insert(m_sections.begin() + static_cast<std::ptrdiff_t>(at), section);
    renumberSections();
    if (auto table = loadedTableView()) {
        if (animated)
            table->insertSections({static_cast<int>(at)}, UITableViewRowAnimation::Automatic);
        else
            table->reloadData();
    }
    return section;
}

bool StaticContentTableViewController::removeSectionAtIndex(std::size_t index, bool animated)
{
    if (index >= m_sections.size()) {
        NSLog("StaticContentTableViewController: no section %zu to remove in a table of %zu sections", index,
              m_sections.size());
        return false;
    }
    m_sections[index]->setIndexInTable(std::nullopt);
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(index));
    renumberSections();
    if (auto table = loadedTableView()) {
        if (animated) {
            table->beginUpdates();
            table->deleteSections({static_cast<int>(index)}, UITableViewRowAnimation::Automatic);
            table->endUpdates();
        } else {
            table->reloadData();
        }
    }
    return true;
}

void StaticContentTableViewController::removeAllSections()
{
    for (const auto& section : m_sections)
        section->setIndexInTable(std::nullopt);
    m_sections.clear();
}

StaticContentTableViewCellPtr StaticContentTableViewController::insertCell(ConfigureBlock configure,
                                                                          const NSIndexPath& indexPath, bool animated)
{
    return insertCell(std::move(configure), {}, indexPath, animated);
}

StaticContentTableViewCellPtr StaticContentTableViewController::insertCell(ConfigureBlock configure,
                                                                          SelectionBlock whenSelected,
                                                                          const NSIndexPath& indexPath, bool animated)
{
    auto section = indexPath.section >= 0 ? sectionAtIndex(static_cast<std::size_t>(indexPath.section)) : nullptr;
    if (!section) {
        NSLog("StaticContentTableViewController: no section for a row at %s", indexPath.description().c_str());
        return nullptr;
    }
    return section->insertCell(std::move(configure), std::move(whenSelected), indexPath, animated);
}

void StaticContentTableViewController::setHeaderText(std::optional<std::string> text)
{
    m_headerText = std::move(text);
    auto table = loadedTableView();
    if (!table)
        return;
    table->setTableHeaderView(m_headerText ? makeTextView(*m_headerText, true) : nullptr);
}

void StaticContentTableViewController::setFooterText(std::optional<std::string> text)
{
    m_footerText = std::move(text);
    auto table = loadedTableView();
    if (!table)
        return;
    table->setTableFooterView(m_footerText ? makeTextView(*m_footerText, false) : nullptr);
}

int StaticContentTableViewController::numberOfSectionsInTableView(UITableView&)
{
    return static_cast<int>(m_sections.size());
}

int StaticContentTableViewController::tableViewNumberOfRowsInSection(UITableView&, int section)
{
    auto found = section >= 0 ? sectionAtIndex(static_cast<std::size_t>(section)) : nullptr;
    return found ? static_cast<int>(found->staticContentCells().size()) : 0;
}

std::shared_ptr<UITableViewCell> StaticContentTableViewController::tableViewCellForRowAtIndexPath(UITableView& table,
                                                                                                 const NSIndexPath& indexPath)
{
    auto row = rowAt(indexPath);
    if (!row)
        return nullptr;
    auto cell = table.dequeueReusableCellWithIdentifier(row->reuseIdentifier());
    if (!cell)
        cell = row->makeTableViewCell();
    // A reused cell comes back with whatever its last row gave it; these two are not reset by
    // the cell itself, and a row that wants them sets them again below.
    cell->imageView()->setImage(nullptr);
    cell->setAccessoryView(nullptr);
    // A copy: the callback may change or drop the row that holds it.
    if (auto block = row->configureBlock())
        block(nullptr, cell.get(), &indexPath);
    return cell;
}

std::optional<std::string> StaticContentTableViewController::tableViewTitleForHeaderInSection(UITableView&, int section)
{
    auto found = section >= 0 ? sectionAtIndex(static_cast<std::size_t>(section)) : nullptr;
    return found ? found->title() : std::nullopt;
}

bool StaticContentTableViewController::tableViewCanEditRowAtIndexPath(UITableView&, const NSIndexPath& indexPath)
{
    auto row = rowAt(indexPath);
    return row && row->isEditable();
}

bool StaticContentTableViewController::tableViewCanMoveRowAtIndexPath(UITableView&, const NSIndexPath& indexPath)
{
    auto row = rowAt(indexPath);
    return row && row->isMoveable();
}

double StaticContentTableViewController::tableViewHeightForRowAtIndexPath(UITableView&, const NSIndexPath& indexPath)
{
    auto row = rowAt(indexPath);
    return row ? row->cellHeight() : UITableViewAutomaticDimension;
}

UITableViewCellEditingStyle StaticContentTableViewController::tableViewEditingStyleForRowAtIndexPath(
    UITableView&, const NSIndexPath& indexPath)
{
    auto row = rowAt(indexPath);
    return row ? row->editingStyle() : UITableViewCellEditingStyle::None;
}

void StaticContentTableViewController::tableViewDidSelectRowAtIndexPath(UITableView& table, const NSIndexPath& indexPath)
{
    // Rows act like buttons: the selection does not stay, unless the table collects several.
    const bool collects = table.isEditing() ? table.allowsMultipleSelectionDuringEditing()
                                            : table.allowsMultipleSelection();
    if (!collects)
        table.deselectRowAtIndexPath(indexPath, true);
    auto row = rowAt(indexPath);
    if (!row)
        return;
    // A copy: the callback may remove its own row or replace itself.
    if (auto block = row->whenSelectedBlock())
        block(indexPath);
}

void StaticContentTableViewController::scrollViewDidEndDragging(UIScrollView&, bool)
{
    if (isViewLoaded())
        view()->endEditing(true);
}
