#include "kit/grid/GridView.h"

#include "kit/grid/GestureRecognizerAdditions.h"
#include "kit/grid/GridViewLayoutStrategyFactory.h"
#include "platform/foundation/Log.h"
#include "platform/ui/UIApplication.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {
// The platform's notice that memory runs short.
const std::string kMemoryWarningNotification = "UIApplicationDidReceiveMemoryWarningNotification";
constexpr TimeInterval kRotationFadeDuration = 0.25;
} // namespace

std::shared_ptr<GridView> GridView::create(const CGRect& frame)
{
    return std::make_shared<GridView>(frame);
}

GridView::GridView(const CGRect& frame)
    : UIScrollView(frame)
    , m_sortingPanGesture(std::make_shared<UIPanGestureRecognizer>())
    , m_longPressGesture(std::make_shared<UILongPressGestureRecognizer>())
    , m_pinchGesture(std::make_shared<UIPinchGestureRecognizer>())
    , m_tapGesture(std::make_shared<UITapGestureRecognizer>())
    , m_rotationGesture(std::make_shared<UIRotationGestureRecognizer>())
    , m_panGesture(std::make_shared<UIPanGestureRecognizer>())
{
    commonInit();
}

GridView::~GridView()
{
    // The recognisers may live on (on a full-size view somebody else holds); they must not
    // reach back into a grid that is gone. The same goes for the delayed calls.
    for (const auto& recognizer : std::vector<UIGestureRecognizerPtr> {m_sortingPanGesture, m_longPressGesture,
                                                                       m_pinchGesture, m_tapGesture, m_rotationGesture,
                                                                       m_panGesture}) {
        recognizer->removeTarget(this);
        recognizer->setDelegate(nullptr);
    }
    RunLoop::main().cancelPerforms(this);
}

void GridView::commonInit()
{
    m_tapGesture->setNumberOfTapsRequired(1);
    m_tapGesture->setNumberOfTouchesRequired(1);
    m_tapGesture->setCancelsTouchesInView(false);
    m_tapGesture->addTarget(this, [this](UIGestureRecognizer&) { tapGestureUpdated(*m_tapGesture); });
    m_pinchGesture->addTarget(this, [this](UIGestureRecognizer&) { pinchGestureUpdated(*m_pinchGesture); });
    m_rotationGesture->addTarget(this, [this](UIGestureRecognizer&) { rotationGestureUpdated(*m_rotationGesture); });
    m_panGesture->setMinimumNumberOfTouches(2);
    m_panGesture->setMaximumNumberOfTouches(2);
    m_panGesture->addTarget(this, [this](UIGestureRecognizer&) { panGestureUpdated(*m_panGesture); });
    m_sortingPanGesture->addTarget(this,
                                   [this](UIGestureRecognizer&) { sortingPanGestureUpdated(*m_sortingPanGesture); });
    m_longPressGesture->setNumberOfTouchesRequired(1);
    m_longPressGesture->setCancelsTouchesInView(false);
    m_longPressGesture->addTarget(this,
                                  [this](UIGestureRecognizer&) { longPressGestureUpdated(*m_longPressGesture); });
    for (const auto& recognizer : std::vector<UIGestureRecognizerPtr> {m_tapGesture, m_pinchGesture, m_rotationGesture,
                                                                       m_panGesture, m_sortingPanGesture,
                                                                       m_longPressGesture}) {
        recognizer->setDelegate(this);
        addGestureRecognizer(recognizer);
    }
    // One finger scrolls, unless it is dragging an item.
    panGestureRecognizer()->setMaximumNumberOfTouches(1);
    panGestureRecognizer()->requireGestureRecognizerToFail(m_sortingPanGesture);

    m_layoutStrategy = GridViewLayoutStrategyFactory::strategyFromType(GridViewLayoutVertical);
    setPagingEnabled(m_layoutStrategy->requiresEnablingPaging());
    setMinimumPressDuration(0.2);
    setEditing(false);
    setClipsToBounds(false);

    m_memoryWarningObserver = NotificationCenter::defaultCenter().addObserver(
        kMemoryWarningNotification, [this](const Notification&) { receivedMemoryWarningNotification(); });
    m_rotationObserver = NotificationCenter::defaultCenter().addObserver(
        UIApplicationWillChangeStatusBarOrientationNotification,
        [this](const Notification&) { receivedWillRotateNotification(); });
}

std::shared_ptr<GridView> GridView::self()
{
    return std::static_pointer_cast<GridView>(weak_from_this().lock());
}

// Properties.

void GridView::setDataSource(const std::shared_ptr<GridViewDataSource>& dataSource)
{
    m_dataSource = dataSource;
    reloadData();
}

UIView& GridView::mainSuperView()
{
    if (auto view = m_mainSuperView.lock())
        return *view;
    return *this;
}

void GridView::setLayoutStrategy(const std::shared_ptr<GridViewLayoutStrategy>& strategy)
{
    if (!strategy) {
        NSLog("GridView: no layout strategy given; keeping the current one");
        return;
    }
    m_layoutStrategy = strategy;
    setPagingEnabled(strategy->requiresEnablingPaging());
    setNeedsLayout();
}

void GridView::setItemSpacing(std::int64_t spacing)
{
    m_itemSpacing = spacing;
    setNeedsLayout();
}

void GridView::setCenterGrid(bool centre)
{
    m_centerGrid = centre;
    setNeedsLayout();
}

void GridView::setMinEdgeInsets(UIEdgeInsets insets)
{
    m_minEdgeInsets = insets;
    setNeedsLayout();
}

UIInterfaceOrientation GridView::statusBarOrientation() const
{
    return UIApplication::sharedApplication().statusBarOrientation();
}

// Positions.

std::int64_t GridView::positionForItemSubview(const UIView& cell)
{
    return cell.tag() < kTagOffset ? -1 : cell.tag() - kTagOffset;
}

int GridView::tagForPosition(std::int64_t position)
{
    return static_cast<int>(std::clamp<std::int64_t>(position, -1, kMaximumItemCount) + kTagOffset);
}

CGRect GridView::itemFrame(std::int64_t position) const
{
    return CGRect {m_layoutStrategy->originForItemAtPosition(position), m_itemSize};
}

bool GridView::isHeldAside(const GridViewCell* cell) const
{
    return cell && (cell == m_sortMovingItem.get() || cell == m_transformingItem.get() || cell == m_returningItem.get());
}

std::vector<GridViewCellPtr> GridView::itemSubviews()
{
    if (m_itemsSubviewsCacheIsValid)
        return m_itemSubviewsCache;
    std::lock_guard lock(m_itemSubviewsLock);
    std::vector<GridViewCellPtr> cells;
    for (const auto& view : subviews()) {
        if (auto cell = std::dynamic_pointer_cast<GridViewCell>(view))
            cells.push_back(std::move(cell));
    }
    m_itemSubviewsCache = cells;
    m_itemsSubviewsCacheIsValid = true;
    return cells;
}

GridViewCellPtr GridView::cellForItemAtIndex(std::int64_t index)
{
    if (index < 0 || index > kMaximumItemCount)
        return nullptr;
    const int tag = tagForPosition(index);
    for (const auto& cell : itemSubviews()) {
        if (cell->tag() == tag)
            return cell;
    }
    return nullptr;
}

bool GridView::isDeletable(std::int64_t position)
{
    if (!m_editing)
        return false;
    auto dataSource = m_dataSource.lock();
    return !dataSource || dataSource->GridViewCanDeleteItemAtIndex(*this, position).value_or(true);
}

// Reuse.

void GridView::queueReusableCell(const GridViewCellPtr& cell)
{
    if (!cell)
        return;
    m_departures.erase(cell.get());
    cell->prepareForReuse();
    cell->setAlpha(1);
    cell->setBackgroundColor(UIColor::clearColor());
    if (std::find(m_reusableCells.begin(), m_reusableCells.end(), cell) == m_reusableCells.end())
        m_reusableCells.push_back(cell);
}

GridViewCellPtr GridView::dequeueReusableCell()
{
    if (m_reusableCells.empty())
        return nullptr;
    GridViewCellPtr cell = std::move(m_reusableCells.back());
    m_reusableCells.pop_back();
    return cell;
}

GridViewCellPtr GridView::dequeueReusableCellWithIdentifier(const std::string& identifier)
{
    const auto it = std::find_if(m_reusableCells.begin(), m_reusableCells.end(),
                                 [&](const GridViewCellPtr& cell) { return cell->reuseIdentifier() == identifier; });
    if (it == m_reusableCells.end())
        return nullptr;
    GridViewCellPtr cell = *it;
    m_reusableCells.erase(it);
    return cell;
}

std::uint64_t GridView::markDeparting(const GridViewCellPtr& cell)
{
    const std::uint64_t mark = m_nextDeparture++;
    cell->setTag(kDepartingTag);
    m_departures[cell.get()] = mark;
    return mark;
}

bool GridView::takeDeparture(const GridViewCell* cell, std::uint64_t mark)
{
    const auto it = m_departures.find(cell);
    if (it == m_departures.end() || it->second != mark)
        return false;
    m_departures.erase(it);
    return true;
}

// Loading.

GridViewCellPtr GridView::newItemSubViewForPosition(std::int64_t position)
{
    auto dataSource = m_dataSource.lock();
    if (!dataSource)
        return nullptr;
    GridViewCellPtr cell = dataSource->GridViewCellForItemAtIndex(*this, position);
    if (!cell)
        return nullptr;
    // A cell that already shows another item here cannot show this one as well.
    if (isHeldAside(cell.get()) || (cell->superview() == this && positionForItemSubview(*cell) >= 0)) {
        NSLog("GridView: the data source returned a cell already in use for item %lld",
              static_cast<long long>(position));
        return nullptr;
    }
    m_departures.erase(cell.get());
    UIView::performWithoutAnimation([&] {
        cell->setFrame(itemFrame(position));
        if (const auto& content = cell->contentView())
            content->setFrame(cell->bounds());
    });
    cell->setTag(tagForPosition(position));
    cell->setEditing(isDeletable(position), false);
    const std::weak_ptr<UIView> weakGrid = weak_from_this();
    cell->setDeleteBlock([weakGrid](GridViewCell& deleted) {
        auto grid = std::static_pointer_cast<GridView>(weakGrid.lock());
        if (!grid)
            return;
        const std::int64_t at = positionForItemSubview(deleted);
        if (at == -1)
            return;
        if (auto source = grid->dataSource(); source && source->GridViewCanDeleteItemAtIndex(*grid, at) == false)
            return;
        if (auto action = grid->actionDelegate(); action && action->handlesDeleteActions())
            action->GridViewProcessDeleteActionForItemAtIndex(*grid, at);
    });
    return cell;
}

void GridView::cleanupUnseenItems()
{
    const GridPositionRange range = m_layoutStrategy->rangeOfPositionsInBoundsFromOffset(contentOffset());
    // Walks the loaded cells rather than the positions between the old and the new range, which
    // after a long jump may be far apart.
    bool removed = false;
    for (const auto& cell : itemSubviews()) {
        const std::int64_t position = positionForItemSubview(*cell);
        if (position < 0 || isHeldAside(cell.get()) || range.contains(position))
            continue;
        queueReusableCell(cell);
        cell->removeFromSuperview();
        removed = true;
    }
    if (m_firstPositionLoaded < range.location)
        m_firstPositionLoaded = range.location;
    if (range.end() < m_lastPositionLoaded)
        m_lastPositionLoaded = range.end();
    if (removed)
        setSubviewsCacheAsInvalid();
}

void GridView::loadRequiredItems()
{
    const GridPositionRange range = m_layoutStrategy->rangeOfPositionsInBoundsFromOffset(contentOffset());
    m_firstPositionLoaded
        = m_firstPositionLoaded == -1 ? range.location : std::min(m_firstPositionLoaded, range.location);
    m_lastPositionLoaded = m_lastPositionLoaded == -1 ? range.end() : std::max(m_lastPositionLoaded, range.end());
    setSubviewsCacheAsInvalid();
    cleanupUnseenItems();

    // Every near position without a cell gets one, so that a place left empty by an insert, a
    // swap or a missing cell is filled as soon as it can be.
    std::unordered_map<std::int64_t, bool> loaded;
    for (const auto& cell : itemSubviews())
        loaded[positionForItemSubview(*cell)] = true;
    for (const GridViewCellPtr& held : {m_transformingItem, m_returningItem}) {
        if (held)
            loaded[positionForItemSubview(*held)] = true;
    }
    if (m_sortMovingItem)
        loaded[m_sortFuturePosition] = true;
    const std::int64_t end = std::min(range.end(), m_numberTotalItems);
    for (std::int64_t position = range.location; position < end; ++position) {
        if (loaded.contains(position))
            continue;
        if (auto cell = newItemSubViewForPosition(position))
            addSubview(cell);
    }
    setSubviewsCacheAsInvalid();
}

// Size and layout.

void GridView::recomputeSizeAnimated(bool animated)
{
    m_layoutStrategy->setupItemSize(m_itemSize, m_itemSpacing, m_minEdgeInsets, m_centerGrid);
    m_layoutStrategy->rebaseWithItemCount(m_numberTotalItems, bounds());
    const CGSize size = m_layoutStrategy->contentSize();
    m_minPossibleContentOffset = CGPointZero;
    m_maxPossibleContentOffset
        = CGPointMake(std::max<CGFloat>(0, size.width - bounds().size.width + contentInset().right),
                      std::max<CGFloat>(0, size.height - bounds().size.height + contentInset().bottom));
    if (size == contentSize())
        return;
    if (animated)
        UIView::animateWithDuration(0.3, 0, UIViewAnimationOptionAllowUserInteraction | UIViewAnimationOptionBeginFromCurrentState,
                                    [&] { setContentSize(size); });
    else
        setContentSize(size);
}

void GridView::relayoutItemsAnimated(bool animated)
{
    const auto relayout = [this] {
        for (const auto& cell : itemSubviews()) {
            const std::int64_t position = positionForItemSubview(*cell);
            if (position < 0 || isHeldAside(cell.get()))
                continue;
            const CGRect frame = itemFrame(position);
            if (cell->frame() != frame)
                cell->setFrame(frame);
        }
    };
    if (animated)
        UIView::animateWithDuration(0.3, 0, UIViewAnimationOptionAllowUserInteraction | UIViewAnimationOptionBeginFromCurrentState,
                                    relayout);
    else
        relayout();
}

void GridView::layoutSubviewsWithAnimation(std::uint32_t animation)
{
    recomputeSizeAnimated(true);
    relayoutItemsAnimated((animation & GridViewItemAnimationFade) != 0);
    loadRequiredItems();
}

void GridView::layoutSubviews()
{
    LayoutPassScope pass(*this);
    UIScrollView::layoutSubviews();
    if (!m_rotationActive) {
        layoutSubviewsWithAnimation(GridViewItemAnimationNone);
        return;
    }
    m_rotationActive = false;
    relayoutAfterRotation();
}

void GridView::relayoutAfterRotation()
{
    const UIInterfaceOrientation orientation = statusBarOrientation();
    auto dataSource = m_dataSource.lock();
    const CGSize size = dataSource ? dataSource->GridViewSizeForItemsInInterfaceOrientation(*this, orientation) : CGSizeZero;
    if (size != m_itemSize) {
        m_itemSize = size;
        for (const auto& cell : itemSubviews()) {
            if (cell == m_transformingItem)
                continue;
            cell->setBounds(CGRect {CGPointZero, size});
            if (const auto& content = cell->contentView())
                content->setFrame(cell->bounds());
        }
    }
    if (m_transformingItem && m_inFullSizeMode) {
        if (auto delegate = m_transformDelegate.lock()) {
            const CGSize full = delegate->GridViewSizeInFullSizeForCell(
                *this, *m_transformingItem, positionForItemSubview(*m_transformingItem), orientation);
            if (full != m_transformingItem->fullSize()) {
                const auto& fullView = m_transformingItem->fullSizeView();
                const CGPoint centre = fullView ? fullView->center() : CGPointZero;
                m_transformingItem->setFullSize(full);
                if (fullView)
                    fullView->setCenter(centre);
            }
        }
    }
    auto fade = std::make_shared<CAAnimation>();
    fade->keyPath = "fade";
    fade->duration = kRotationFadeDuration;
    fade->timingFunction = "easeInEaseOut";
    layer().addAnimation(std::move(fade), "rotationAnimation");
    UIView::performWithoutAnimation([this] { layoutSubviewsWithAnimation(GridViewItemAnimationNone); });
    if (isPagingEnabled())
        setContentOffset(rectForPoint(contentOffset(), true).origin, true);
}

CGRect GridView::rectForPoint(CGPoint point, bool paging) const
{
    if (!paging)
        return CGRect {point, m_itemSize};
    const UIEdgeInsets insets = contentInset();
    const CGSize page = CGSizeMake(bounds().size.width - insets.left - insets.right,
                                   bounds().size.height - insets.top - insets.bottom);
    // The page that holds the point, and never a page the offset cannot reach.
    const auto axis = [](CGFloat at, CGFloat extent, CGFloat min, CGFloat max) {
        const CGFloat start = extent > 0 && std::isfinite(at) ? std::floor(at / extent) * extent : 0;
        return std::clamp(start, min, max);
    };
    return CGRect {CGPointMake(axis(point.x, page.width, m_minPossibleContentOffset.x, m_maxPossibleContentOffset.x),
                               axis(point.y, page.height, m_minPossibleContentOffset.y, m_maxPossibleContentOffset.y)),
                   page};
}

// Reloading.

void GridView::reloadData()
{
    const CGPoint kept = contentOffset();
    for (const auto& cell : itemSubviews()) {
        // A dragged or transformed item stays where the finger has it.
        if (isHeldAside(cell.get()))
            continue;
        cell->removeFromSuperview();
        queueReusableCell(cell);
    }
    m_firstPositionLoaded = -1;
    m_lastPositionLoaded = -1;
    setSubviewsCacheAsInvalid();

    auto dataSource = m_dataSource.lock();
    std::int64_t count = dataSource ? dataSource->numberOfItemsInGridView(*this) : 0;
    if (count < 0 || count > kMaximumItemCount) {
        NSLog("GridView: the data source gave %lld items; showing %lld", static_cast<long long>(count),
              static_cast<long long>(std::clamp<std::int64_t>(count, 0, kMaximumItemCount)));
        count = std::clamp<std::int64_t>(count, 0, kMaximumItemCount);
    }
    m_numberTotalItems = count;
    m_itemSize = dataSource ? dataSource->GridViewSizeForItemsInInterfaceOrientation(*this, statusBarOrientation())
                            : CGSizeZero;
    recomputeSizeAnimated(true);
    setContentOffset(CGPointMake(std::clamp(kept.x, m_minPossibleContentOffset.x, m_maxPossibleContentOffset.x),
                                 std::clamp(kept.y, m_minPossibleContentOffset.y, m_maxPossibleContentOffset.y)));
    loadRequiredItems();
    setSubviewsCacheAsInvalid();
    setNeedsLayout();
}

// Memory and rotation.

void GridView::receivedMemoryWarningNotification()
{
    cleanupUnseenItems();
    m_reusableCells.clear();
}

void GridView::receivedWillRotateNotification()
{
    m_rotationActive = true;
    setNeedsLayout();
}

// Edit mode.

void GridView::setEditing(bool editing)
{
    const bool before = m_editing;
    setEditing(editing, false);
    if (m_editing == before)
        return;
    if (auto action = m_actionDelegate.lock())
        action->GridViewChangedEdit(*this, m_editing);
}

void GridView::setEditing(bool editing, bool animated)
{
    auto action = m_actionDelegate.lock();
    if (!action || !action->handlesDeleteActions() || m_transformingItem || editing == m_editing)
        return;
    m_editing = editing;
    for (const auto& cell : itemSubviews()) {
        const std::int64_t position = positionForItemSubview(*cell);
        if (position >= 0)
            cell->setEditing(editing && isDeletable(position), animated);
    }
}

// Taps.

bool GridView::tapMayBegin(UIGestureRecognizer& gesture)
{
    if (!m_editing || !m_disableEditOnEmptySpaceTap)
        return !isDragging() && !isDecelerating() && !m_editing
            && !GestureRecognizerAdditions::hasRecognizedValidGesture(*m_longPressGesture);
    return m_layoutStrategy->itemPositionFromLocation(gesture.locationInView(this)) == -1;
}

void GridView::tapGestureUpdated(UITapGestureRecognizer& gesture)
{
    if (gesture.state() != UIGestureRecognizerState::Recognized)
        return;
    const std::int64_t position = m_layoutStrategy->itemPositionFromLocation(gesture.locationInView(this));
    auto action = m_actionDelegate.lock();
    if (position == -1) {
        if (action)
            action->GridViewDidTapOnEmptySpace(*this);
        if (m_disableEditOnEmptySpaceTap)
            setEditing(false);
        return;
    }
    if (m_editing)
        return;
    if (auto cell = cellForItemAtIndex(position))
        cell->setHighlighted(false);
    if (action)
        action->GridViewDidTapOnItemAtIndex(*this, position);
}

bool GridView::gestureRecognizerShouldBegin(UIGestureRecognizer& recognizer)
{
    const bool scrolling = isDragging() || isDecelerating();
    if (&recognizer == m_longPressGesture.get())
        return (m_sortingDelegate.lock() || m_enableEditOnLongPress) && !scrolling && !m_editing;
    if (&recognizer == m_sortingPanGesture.get())
        return m_sortMovingItem && GestureRecognizerAdditions::hasRecognizedValidGesture(*m_longPressGesture);
    if (&recognizer == m_pinchGesture.get() || &recognizer == m_rotationGesture.get()
        || &recognizer == m_panGesture.get()) {
        if (!m_transformDelegate.lock() || recognizer.numberOfTouches() != 2 || m_editing)
            return false;
        if (m_transformingItem)
            return true;
        const std::int64_t first = m_layoutStrategy->itemPositionFromLocation(recognizer.locationOfTouch(0, this));
        const std::int64_t second = m_layoutStrategy->itemPositionFromLocation(recognizer.locationOfTouch(1, this));
        return first != -1 && first == second;
    }
    if (&recognizer == m_tapGesture.get())
        return tapMayBegin(recognizer);
    return true;
}
