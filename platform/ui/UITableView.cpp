#include "platform/ui/UITableView.h"

#include "platform/ui/InterfaceProperty.h"
#include "platform/ui/UIViewController.h"

#include "platform/foundation/Log.h"

#include <algorithm>

namespace {
// Keeps the counts of a misbehaving data source within what a table can lay out.
constexpr int MaximumCount = 100000;

int bounded(int count)
{
    return std::clamp(count, 0, MaximumCount);
}

// The delegate's height wins; otherwise the table's, though never below `least` (a section
// title keeps the room its text needs even when the table asks for thin section gaps).
double chosenHeight(double fromDelegate, double fromTable, double automatic, double least = 0)
{
    if (fromDelegate >= 0)
        return fromDelegate;
    return std::max(fromTable >= 0 ? fromTable : automatic, least);
}
} // namespace

// Hands the scroll view's reports to the table's delegate, which the table holds weakly.
class UITableView::ScrollForwarder : public UIScrollViewDelegate {
public:
    explicit ScrollForwarder(UITableView& table) : m_table(table) {}
    void scrollViewDidScroll(UIScrollView& s) override
    {
        if (auto d = m_table.delegate())
            d->scrollViewDidScroll(s);
    }
    void scrollViewWillBeginDragging(UIScrollView& s) override
    {
        if (auto d = m_table.delegate())
            d->scrollViewWillBeginDragging(s);
    }
    void scrollViewDidEndDragging(UIScrollView& s, bool decelerate) override
    {
        if (auto d = m_table.delegate())
            d->scrollViewDidEndDragging(s, decelerate);
    }
    void scrollViewDidEndDecelerating(UIScrollView& s) override
    {
        if (auto d = m_table.delegate())
            d->scrollViewDidEndDecelerating(s);
    }
    void scrollViewDidEndScrollingAnimation(UIScrollView& s) override
    {
        if (auto d = m_table.delegate())
            d->scrollViewDidEndScrollingAnimation(s);
    }

private:
    UITableView& m_table;
};

std::shared_ptr<UITableView> UITableView::create(const CGRect& frame, UITableViewStyle style)
{
    return std::make_shared<UITableView>(frame, style);
}

UITableView::UITableView(const CGRect& frame, UITableViewStyle style)
    : UIScrollView(frame)
    , m_style(style)
    , m_forwarder(std::make_unique<ScrollForwarder>(*this))
{
    setBackgroundColor(style == UITableViewStyle::Grouped ? UIColor::colorWithRed(0.94, 0.94, 0.96, 1)
                                                          : UIColor::whiteColor());
    setShowsHorizontalScrollIndicator(false);
}

UITableView::~UITableView()
{
    UIScrollView::setDelegate(nullptr);
}

void UITableView::setDataSource(std::weak_ptr<UITableViewDataSource> dataSource)
{
    m_dataSource = std::move(dataSource);
    m_loaded = false;
    setNeedsLayout();
}

void UITableView::setDelegate(std::weak_ptr<UITableViewDelegate> delegate)
{
    m_tableDelegate = std::move(delegate);
    UIScrollView::setDelegate(m_tableDelegate.expired() ? nullptr : m_forwarder.get());
    m_loaded = false;
    setNeedsLayout();
}

void UITableView::setRowHeight(double height)
{
    m_rowHeight = height >= 0 ? height : DefaultRowHeight;
    m_loaded = false;
    setNeedsLayout();
}

void UITableView::setSectionHeaderHeight(double height)
{
    m_sectionHeaderHeight = height;
    m_loaded = false;
    setNeedsLayout();
}

void UITableView::setSectionFooterHeight(double height)
{
    m_sectionFooterHeight = height;
    m_loaded = false;
    setNeedsLayout();
}

void UITableView::setTableHeaderView(std::shared_ptr<UIView> view)
{
    if (m_tableHeaderView)
        m_tableHeaderView->removeFromSuperview();
    m_tableHeaderView = std::move(view);
    m_loaded = false;
    setNeedsLayout();
}

void UITableView::setTableFooterView(std::shared_ptr<UIView> view)
{
    if (m_tableFooterView)
        m_tableFooterView->removeFromSuperview();
    m_tableFooterView = std::move(view);
    m_loaded = false;
    setNeedsLayout();
}

int UITableView::numberOfRowsInSection(int section) const
{
    if (section < 0 || section >= numberOfSections())
        return 0;
    return static_cast<int>(m_sections[static_cast<std::size_t>(section)].rowHeights.size());
}

bool UITableView::contains(const NSIndexPath& indexPath) const
{
    return indexPath.row >= 0 && indexPath.row < numberOfRowsInSection(indexPath.section);
}

double UITableView::automaticHeaderHeight(bool hasTitle, bool header) const
{
    if (m_style == UITableViewStyle::Plain)
        return hasTitle ? 22 : 0;
    if (hasTitle)
        return header ? 38 : 30;
    return 10;
}

std::shared_ptr<UIView> UITableView::makeSectionView(const std::optional<std::string>& title, bool header) const
{
    if (!title)
        return nullptr;
    // The title lines up with the rows' text, 15 points in from either side, whatever width the
    // table gives the header later.
    auto container = UIView::create(CGRectMake(0, 0, 100, 30));
    container->setBackgroundColor(m_style == UITableViewStyle::Plain ? UIColor::colorWithWhite(0.93, 1)
                                                                      : UIColor::clearColor());
    auto label = UILabel::create(CGRectMake(15, 0, 70, 30));
    label->setText(*title);
    label->setFont(header && m_style == UITableViewStyle::Plain ? UIFont::boldSystemFontOfSize(15)
                                                                 : UIFont::systemFontOfSize(14));
    label->setTextColor(UIColor::colorWithWhite(0.43, 1));
    label->setBackgroundColor(UIColor::clearColor());
    label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    container->addSubview(label);
    return container;
}

void UITableView::clearVisibleCells()
{
    for (auto& [indexPath, cell] : m_visible) {
        cell->removeFromSuperview();
        if (!cell->reuseIdentifier().empty())
            m_reuseQueue[cell->reuseIdentifier()].push_back(cell);
    }
    m_visible.clear();
}

void UITableView::loadGeometry()
{
    for (auto& section : m_sections) {
        if (section.headerView)
            section.headerView->removeFromSuperview();
        if (section.footerView)
            section.footerView->removeFromSuperview();
    }
    m_sections.clear();
    m_loaded = true;
    auto source = dataSource();
    auto d = delegate();
    double y = m_tableHeaderView ? m_tableHeaderView->bounds().size.height : 0;
    const int sections = source ? bounded(source->numberOfSectionsInTableView(*this)) : 0;
    for (int s = 0; s < sections; ++s) {
        Section section;
        section.headerView = d ? d->tableViewViewForHeaderInSection(*this, s) : nullptr;
        const bool titledHeader = !section.headerView;
        if (titledHeader)
            section.headerView = makeSectionView(source->tableViewTitleForHeaderInSection(*this, s), true);
        section.footerView = d ? d->tableViewViewForFooterInSection(*this, s) : nullptr;
        const bool titledFooter = !section.footerView;
        if (titledFooter)
            section.footerView = makeSectionView(source->tableViewTitleForFooterInSection(*this, s), false);
        const double headerAutomatic = automaticHeaderHeight(section.headerView != nullptr, true);
        const double footerAutomatic = automaticHeaderHeight(section.footerView != nullptr, false);
        section.headerHeight = chosenHeight(d ? d->tableViewHeightForHeaderInSection(*this, s) : -1,
                                            m_sectionHeaderHeight, headerAutomatic,
                                            titledHeader && section.headerView ? headerAutomatic : 0);
        section.footerHeight = chosenHeight(d ? d->tableViewHeightForFooterInSection(*this, s) : -1,
                                            m_sectionFooterHeight, footerAutomatic,
                                            titledFooter && section.footerView ? footerAutomatic : 0);
        section.headerY = y;
        y += section.headerHeight;
        const int rows = bounded(source->tableViewNumberOfRowsInSection(*this, s));
        for (int r = 0; r < rows; ++r) {
            const double h = chosenHeight(d ? d->tableViewHeightForRowAtIndexPath(*this, {s, r}) : -1, m_rowHeight,
                                          DefaultRowHeight);
            section.rowY.push_back(y);
            section.rowHeights.push_back(h);
            y += h;
        }
        y += section.footerHeight;
        m_sections.push_back(std::move(section));
    }
    const double footer = m_tableFooterView ? m_tableFooterView->bounds().size.height : 0;
    setContentSize({bounds().size.width, y + footer});
    std::erase_if(m_selected, [this](const NSIndexPath& p) { return !contains(p); });
}

void UITableView::reloadData()
{
    clearVisibleCells();
    m_updatesPending = false;
    m_updateDepth = 0;
    loadGeometry();
    setNeedsLayout();
}

void UITableView::layoutSubviews()
{
    LayoutPassScope scope(*this);
    if (!m_loaded) {
        clearVisibleCells();
        loadGeometry();
    }
    placeViews();
}

void UITableView::placeViews()
{
    const CGRect b = bounds();
    const double width = b.size.width;
    if (m_tableHeaderView)
        placeSubview(m_tableHeaderView, CGRectMake(0, 0, width, m_tableHeaderView->bounds().size.height));
    if (m_tableFooterView) {
        const double height = m_tableFooterView->bounds().size.height;
        placeSubview(m_tableFooterView, CGRectMake(0, contentSize().height - height, width, height));
    }
    recycleCellsOutside(b);

    auto source = dataSource();
    auto d = delegate();
    for (int s = 0; s < numberOfSections(); ++s) {
        auto& section = m_sections[static_cast<std::size_t>(s)];
        if (section.headerView)
            placeSubview(section.headerView, CGRectMake(0, section.headerY, width, section.headerHeight));
        const double footerY = section.rowY.empty() ? section.headerY + section.headerHeight
                                                    : section.rowY.back() + section.rowHeights.back();
        if (section.footerView)
            placeSubview(section.footerView, CGRectMake(0, footerY, width, section.footerHeight));
        if (source)
            showRowsOfSection(s, b, *source, d.get());
    }
}

void UITableView::placeSubview(const std::shared_ptr<UIView>& view, const CGRect& frame)
{
    view->setFrame(frame);
    if (view->superview() != this)
        addSubview(view);
}

// Cells that have left the view go to the reuse queue first, so the rows coming in can use them.
void UITableView::recycleCellsOutside(const CGRect& visible)
{
    for (auto it = m_visible.begin(); it != m_visible.end();) {
        const CGRect r = rectForRowAtIndexPath(it->first);
        if (contains(it->first) && CGRectIntersectsRect(r, visible)) {
            ++it;
            continue;
        }
        it->second->removeFromSuperview();
        if (!it->second->reuseIdentifier().empty())
            m_reuseQueue[it->second->reuseIdentifier()].push_back(it->second);
        it = m_visible.erase(it);
    }
}

void UITableView::showRowsOfSection(int s, const CGRect& visible, UITableViewDataSource& source,
                                    UITableViewDelegate* tableDelegate)
{
    for (int r = 0; r < numberOfRowsInSection(s); ++r) {
        const NSIndexPath indexPath {s, r};
        const CGRect rect = rectForRowAtIndexPath(indexPath);
        if (!CGRectIntersectsRect(rect, visible) || m_visible.count(indexPath))
            continue;
        auto cell = source.tableViewCellForRowAtIndexPath(*this, indexPath);
        if (!cell) {
            NSLog("UITableView: the data source gave no cell for row %s", indexPath.description().c_str());
            cell = UITableViewCell::create(UITableViewCellStyle::Default, "");
        }
        cell->setFrame(rect);
        cell->setSelected(m_selected.count(indexPath) > 0);
        if (tableDelegate)
            tableDelegate->tableViewWillDisplayCell(*this, *cell, indexPath);
        insertSubviewAtIndex(cell, 0);
        m_visible[indexPath] = cell;
    }
}

std::shared_ptr<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier(const std::string& identifier)
{
    auto it = m_reuseQueue.find(identifier);
    if (it == m_reuseQueue.end() || it->second.empty())
        return nullptr;
    auto cell = it->second.back();
    it->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(const NSIndexPath& indexPath) const
{
    auto it = m_visible.find(indexPath);
    return it == m_visible.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<UITableViewCell>> UITableView::visibleCells() const
{
    std::vector<std::shared_ptr<UITableViewCell>> cells;
    for (const auto& [indexPath, cell] : m_visible)
        cells.push_back(cell);
    return cells;
}

std::vector<NSIndexPath> UITableView::indexPathsForVisibleRows() const
{
    std::vector<NSIndexPath> paths;
    for (const auto& [indexPath, cell] : m_visible)
        paths.push_back(indexPath);
    return paths;
}

std::optional<NSIndexPath> UITableView::indexPathForCell(const UITableViewCell& cell) const
{
    for (const auto& [indexPath, shown] : m_visible) {
        if (shown.get() == &cell)
            return indexPath;
    }
    return std::nullopt;
}

std::optional<NSIndexPath> UITableView::indexPathForRowAtPoint(CGPoint point) const
{
    for (int s = 0; s < numberOfSections(); ++s) {
        for (int r = 0; r < numberOfRowsInSection(s); ++r) {
            if (CGRectContainsPoint(rectForRowAtIndexPath({s, r}), point))
                return NSIndexPath {s, r};
        }
    }
    return std::nullopt;
}

CGRect UITableView::rectForRowAtIndexPath(const NSIndexPath& indexPath) const
{
    if (!contains(indexPath))
        return CGRectZero;
    const auto& section = m_sections[static_cast<std::size_t>(indexPath.section)];
    const auto row = static_cast<std::size_t>(indexPath.row);
    return CGRectMake(0, section.rowY[row], bounds().size.width, section.rowHeights[row]);
}

CGRect UITableView::rectForHeaderInSection(int section) const
{
    if (section < 0 || section >= numberOfSections())
        return CGRectZero;
    const auto& s = m_sections[static_cast<std::size_t>(section)];
    return CGRectMake(0, s.headerY, bounds().size.width, s.headerHeight);
}

std::shared_ptr<UIView> UITableView::headerViewForSection(int section) const
{
    if (section < 0 || section >= numberOfSections())
        return nullptr;
    return m_sections[static_cast<std::size_t>(section)].headerView;
}

std::shared_ptr<UIView> UITableView::footerViewForSection(int section) const
{
    if (section < 0 || section >= numberOfSections())
        return nullptr;
    return m_sections[static_cast<std::size_t>(section)].footerView;
}

void UITableView::scrollToRowAtIndexPath(const NSIndexPath& indexPath, UITableViewScrollPosition position, bool animated)
{
    if (!contains(indexPath))
        return;
    const CGRect row = rectForRowAtIndexPath(indexPath);
    const double visible = bounds().size.height;
    double y = row.origin.y;
    if (position == UITableViewScrollPosition::Middle)
        y = CGRectGetMidY(row) - visible / 2;
    else if (position == UITableViewScrollPosition::Bottom)
        y = CGRectGetMaxY(row) - visible;
    if (position == UITableViewScrollPosition::None) {
        scrollRectToVisible(row, animated);
        return;
    }
    const double maxY = std::max(0.0, contentSize().height - visible);
    setContentOffset({contentOffset().x, std::clamp(y, 0.0, maxY)}, animated);
}

// Updates.

void UITableView::beginUpdates()
{
    if (m_updateDepth++ == 0 && !m_updatesPending) {
        m_oldRowCounts.clear();
        for (int s = 0; s < numberOfSections(); ++s)
            m_oldRowCounts.push_back(numberOfRowsInSection(s));
        m_sectionDelta = 0;
        m_rowDelta.clear();
        m_deletedSections.clear();
        m_updatesPending = true;
    }
}

void UITableView::endUpdates()
{
    if (m_updateDepth == 0)
        return;
    if (--m_updateDepth == 0)
        applyUpdates();
}

void UITableView::insertSections(const std::set<int>& sections, UITableViewRowAnimation animation)
{
    beginUpdates();
    m_sectionDelta += static_cast<int>(sections.size());
    m_lastAnimation = animation;
    endUpdates();
}

void UITableView::deleteSections(const std::set<int>& sections, UITableViewRowAnimation animation)
{
    beginUpdates();
    m_sectionDelta -= static_cast<int>(sections.size());
    m_deletedSections.insert(sections.begin(), sections.end());
    m_lastAnimation = animation;
    endUpdates();
}

void UITableView::insertRowsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths, UITableViewRowAnimation animation)
{
    beginUpdates();
    for (const auto& p : indexPaths)
        ++m_rowDelta[p.section];
    m_lastAnimation = animation;
    endUpdates();
}

void UITableView::deleteRowsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths, UITableViewRowAnimation animation)
{
    beginUpdates();
    for (const auto& p : indexPaths)
        --m_rowDelta[p.section];
    m_lastAnimation = animation;
    endUpdates();
}

void UITableView::reloadRowsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths, UITableViewRowAnimation animation)
{
    beginUpdates();
    for (const auto& p : indexPaths) {
        auto it = m_visible.find(p);
        if (it == m_visible.end())
            continue;
        it->second->removeFromSuperview();
        if (!it->second->reuseIdentifier().empty())
            m_reuseQueue[it->second->reuseIdentifier()].push_back(it->second);
        m_visible.erase(it);
    }
    m_lastAnimation = animation;
    endUpdates();
}

void UITableView::applyUpdates()
{
    m_updatesPending = false;
    if (!m_loaded) {
        setNeedsLayout();
        return; // the first load will ask the data source anyway
    }
    auto source = dataSource();
    const int oldSections = static_cast<int>(m_oldRowCounts.size());
    const int newSections = source ? bounded(source->numberOfSectionsInTableView(*this)) : 0;
    std::string fault;
    if (newSections != oldSections + m_sectionDelta) {
        fault = "the number of sections after the update (" + std::to_string(newSections) + ") is not the "
            + std::to_string(oldSections) + " before it changed by " + std::to_string(m_sectionDelta);
    } else if (m_sectionDelta == 0 && m_deletedSections.empty()) {
        for (int s = 0; s < newSections && fault.empty(); ++s) {
            const int now = bounded(source->tableViewNumberOfRowsInSection(*this, s));
            const int expected = m_oldRowCounts[static_cast<std::size_t>(s)] + m_rowDelta[s];
            if (now != expected)
                fault = "section " + std::to_string(s) + " has " + std::to_string(now) + " rows after the update, not "
                    + std::to_string(expected);
        }
    }
    if (!fault.empty())
        NSLog("UITableView: invalid update: %s; reloading the whole table", fault.c_str());
    clearVisibleCells();
    loadGeometry();
    setNeedsLayout();
    layoutIfNeeded();
}

// Selection.

void UITableView::setEditing(bool editing, bool)
{
    m_editing = editing;
}

std::optional<NSIndexPath> UITableView::indexPathForSelectedRow() const
{
    if (m_selected.empty())
        return std::nullopt;
    return *m_selected.begin();
}

std::vector<NSIndexPath> UITableView::indexPathsForSelectedRows() const
{
    return {m_selected.begin(), m_selected.end()};
}

void UITableView::selectRowAtIndexPath(const NSIndexPath& indexPath, bool, UITableViewScrollPosition)
{
    if (!contains(indexPath))
        return;
    const bool multiple = m_editing ? m_allowsMultipleSelectionDuringEditing : m_allowsMultipleSelection;
    if (!multiple) {
        for (const auto& p : std::set<NSIndexPath>(m_selected)) {
            if (p != indexPath)
                deselectRowAtIndexPath(p, false);
        }
    }
    m_selected.insert(indexPath);
    if (auto cell = cellForRowAtIndexPath(indexPath))
        cell->setSelected(true);
}

void UITableView::deselectRowAtIndexPath(const NSIndexPath& indexPath, bool animated)
{
    m_selected.erase(indexPath);
    if (auto cell = cellForRowAtIndexPath(indexPath))
        cell->setSelected(false, animated);
}

bool UITableView::tapRowAtIndexPath(const NSIndexPath& indexPath)
{
    if (!m_loaded)
        layoutIfNeeded();
    if (!m_allowsSelection || !contains(indexPath) || isHidden() || !isUserInteractionEnabled())
        return false;
    auto keep = shared_from_this();
    auto d = delegate();
    const auto target = d ? d->tableViewWillSelectRowAtIndexPath(*this, indexPath) : std::optional(indexPath);
    if (!target || !contains(*target))
        return true;
    const bool multiple = m_editing ? m_allowsMultipleSelectionDuringEditing : m_allowsMultipleSelection;
    if (multiple && m_selected.count(*target)) {
        deselectRowAtIndexPath(*target, false);
        if (d)
            d->tableViewDidDeselectRowAtIndexPath(*this, *target);
        return true;
    }
    if (!multiple) {
        for (const auto& p : std::set<NSIndexPath>(m_selected)) {
            if (p == *target)
                continue;
            deselectRowAtIndexPath(p, false);
            if (d)
                d->tableViewDidDeselectRowAtIndexPath(*this, p);
        }
    }
    m_selected.insert(*target);
    if (auto cell = cellForRowAtIndexPath(*target))
        cell->setSelected(true);
    if (d)
        d->tableViewDidSelectRowAtIndexPath(*this, *target);
    return true;
}

void UITableView::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UITableView>("UITableView", "UIScrollView")
        .property("style", prop<UITableView>(
                               [](const json& v) { return V::choice(v, {{"plain", 0}, {"grouped", 1}}); },
                               [](UITableView& t, int s) { t.setStyle(static_cast<UITableViewStyle>(s)); }))
        .property("rowHeight", prop<UITableView>(asNumber, [](UITableView& t, double h) { t.setRowHeight(h); }))
        .property("sectionHeaderHeight",
                  prop<UITableView>(asNumber, [](UITableView& t, double h) { t.setSectionHeaderHeight(h); }))
        .property("sectionFooterHeight",
                  prop<UITableView>(asNumber, [](UITableView& t, double h) { t.setSectionFooterHeight(h); }))
        .property("allowsSelection", prop<UITableView>(asFlag, [](UITableView& t, bool a) { t.setAllowsSelection(a); }))
        .connection("dataSource", &UITableView::setDataSource)
        .connection("delegate", &UITableView::setDelegate);
}
