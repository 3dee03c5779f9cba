// Reordering the items of a GridView by long press and drag.
#include "kit/grid/GridView.h"

#include "kit/grid/GestureRecognizerAdditions.h"

#include <algorithm>

namespace {
constexpr unsigned kStandardOptions = UIViewAnimationOptionAllowUserInteraction | UIViewAnimationOptionBeginFromCurrentState;
constexpr TimeInterval kStandardDuration = 0.3;
constexpr TimeInterval kAutoScrollRetry = 0.5;
} // namespace

void GridView::longPressGestureUpdated(UILongPressGestureRecognizer& gesture)
{
    const CGPoint location = gesture.locationInView(this);
    if (m_enableEditOnLongPress && !m_editing) {
        if (m_layoutStrategy->itemPositionFromLocation(location) != -1)
            setEditing(true);
        return;
    }
    switch (gesture.state()) {
    case UIGestureRecognizerState::Began:
        if (!m_sortMovingItem && m_layoutStrategy->itemPositionFromLocation(location) != -1)
            sortingMoveDidStartAtPoint(location);
        break;
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed:
        GestureRecognizerAdditions::end(*m_sortingPanGesture);
        if (m_sortMovingItem)
            sortingMoveDidStopAtPoint(location);
        break;
    default:
        break;
    }
}

void GridView::sortingMoveDidStartAtPoint(CGPoint point)
{
    const std::int64_t position = m_layoutStrategy->itemPositionFromLocation(point);
    GridViewCellPtr cell = cellForItemAtIndex(position);
    if (!cell || isHeldAside(cell.get()))
        return;
    bringSubviewToFront(cell.get());
    m_sortMovingItem = cell;

    UIView& lifted = mainSuperView();
    const CGRect frame = convertRectToView(cell->frame(), &lifted);
    cell->removeFromSuperview();
    cell->setFrame(frame);
    lifted.addSubview(cell);

    m_sortFuturePosition = position;
    cell->setTag(0);
    setSubviewsCacheAsInvalid();
    auto delegate = m_sortingDelegate.lock();
    if (delegate)
        delegate->GridViewDidStartMovingCell(*this, *cell);
    const bool shake = delegate ? delegate->GridViewShouldAllowShakingBehaviorWhenMovingCell(*this, *cell, position).value_or(true)
                                : true;
    cell->shake(shake);
}

void GridView::sortingPanGestureUpdated(UIPanGestureRecognizer& gesture)
{
    switch (gesture.state()) {
    case UIGestureRecognizerState::Began:
        m_autoScrollActive = true;
        sortingAutoScrollMovementCheck();
        break;
    case UIGestureRecognizerState::Changed:
        if (m_sortMovingItem && !m_sortSettling) {
            const CGPoint moved = gesture.translationInView(this);
            m_sortMovingItem->setTransform(CGAffineTransformMakeTranslation(moved.x, moved.y));
            sortingMoveDidContinueToPoint(gesture.locationInView(this));
        }
        break;
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed:
        m_autoScrollActive = false;
        RunLoop::main().cancelPerform(m_autoScrollRetry);
        m_autoScrollRetry = 0;
        break;
    default:
        break;
    }
}

void GridView::sortingMoveDidContinueToPoint(CGPoint point)
{
    const std::int64_t position = m_layoutStrategy->itemPositionFromLocation(point);
    const std::int64_t future = m_sortFuturePosition;
    if (position == -1 || position == future || position >= m_numberTotalItems)
        return;
    GridViewCellPtr occupant;
    for (const auto& cell : itemSubviews()) {
        if (cell != m_sortMovingItem && positionForItemSubview(*cell) == position) {
            occupant = cell;
            break;
        }
    }
    if (occupant) {
        auto delegate = m_sortingDelegate.lock();
        if (m_style == GridViewStyleMove) {
            // The items between the two places close up towards the place the dragged one left.
            const std::int64_t low = std::min(future, position);
            const std::int64_t high = std::max(future, position);
            const std::int64_t step = future < position ? -1 : 1;
            for (const auto& cell : itemSubviews()) {
                const std::int64_t at = positionForItemSubview(*cell);
                if (cell == m_sortMovingItem || at < low || at > high)
                    continue;
                cell->setTag(tagForPosition(at + step));
                sendSubviewToBack(cell.get());
            }
            setSubviewsCacheAsInvalid();
            if (delegate)
                delegate->GridViewMoveItemAtIndex(*this, future, position);
            relayoutItemsAnimated(true);
        } else {
            occupant->setTag(tagForPosition(future));
            const CGRect frame = itemFrame(future);
            UIView::animateWithDuration(kStandardDuration, 0, kStandardOptions, [&] { occupant->setFrame(frame); });
            if (delegate)
                delegate->GridViewExchangeItemAtIndex(*this, future, position);
        }
    }
    m_sortFuturePosition = position;
}

void GridView::sortingAutoScrollMovementCheck()
{
    m_autoScrollRetry = 0;
    if (!m_sortMovingItem || !m_autoScrollActive)
        return;
    const CGPoint location = m_sortingPanGesture->locationInView(this);
    const CGPoint offset = contentOffset();
    const CGPoint inView = CGPointMake(location.x - offset.x, location.y - offset.y);
    const CGFloat threshold = m_itemSize.height;
    CGPoint next = offset;
    if (inView.x + threshold > bounds().size.width)
        next.x = std::min(offset.x + m_itemSize.width / 2, m_maxPossibleContentOffset.x);
    else if (inView.x - threshold <= 0)
        next.x = std::max(offset.x - m_itemSize.width / 2, m_minPossibleContentOffset.x);
    if (inView.y + threshold > bounds().size.height)
        next.y = std::min(offset.y + m_itemSize.height / 2, m_maxPossibleContentOffset.y);
    else if (inView.y - threshold <= 0)
        next.y = std::max(offset.y - m_itemSize.height / 2, m_minPossibleContentOffset.y);

    if (next == offset) {
        m_autoScrollRetry = RunLoop::main().perform([this] { sortingAutoScrollMovementCheck(); }, kAutoScrollRetry, this,
                                                    {RunLoopModes::Common});
        return;
    }
    const std::weak_ptr<UIView> weakSelf = weak_from_this();
    UIView::animateWithDuration(
        kStandardDuration, 0, kStandardOptions, [&] { setContentOffset(next); },
        [weakSelf, next, location](bool) {
            auto grid = std::static_pointer_cast<GridView>(weakSelf.lock());
            if (!grid)
                return;
            grid->setContentOffset(next);
            if (grid->m_autoScrollActive)
                grid->sortingMoveDidContinueToPoint(location);
            grid->sortingAutoScrollMovementCheck();
        });
}

void GridView::sortingMoveDidStopAtPoint(CGPoint)
{
    // A stop already under way (the long press ending twice) settles once.
    if (!m_sortMovingItem || m_sortSettling)
        return;
    m_sortSettling = true;
    const GridViewCellPtr cell = m_sortMovingItem;
    cell->shake(false);
    if (m_numberTotalItems == 0) {
        // The items went away while the cell was held: nowhere to land.
        cell->setTransform(CGAffineTransformIdentity);
        cell->removeFromSuperview();
        queueReusableCell(cell);
        finishSortingMove(cell);
        return;
    }
    const std::int64_t position = std::clamp<std::int64_t>(m_sortFuturePosition, 0, m_numberTotalItems - 1);
    m_sortFuturePosition = position;
    cell->setTag(tagForPosition(position));

    UIView& lifted = mainSuperView();
    const CGRect frame = lifted.convertRectToView(cell->frame(), this);
    cell->removeFromSuperview();
    cell->setFrame(frame);
    addSubview(cell);
    setSubviewsCacheAsInvalid();

    const CGRect landing = itemFrame(position);
    const std::weak_ptr<UIView> weakSelf = weak_from_this();
    const std::weak_ptr<GridViewCell> weakCell = cell;
    UIView::animateWithDuration(
        kStandardDuration, 0, UIViewAnimationOptionNone,
        [&] {
            cell->setTransform(CGAffineTransformIdentity);
            cell->setFrame(landing);
        },
        [weakSelf, weakCell](bool) {
            auto grid = std::static_pointer_cast<GridView>(weakSelf.lock());
            auto landed = weakCell.lock();
            if (grid && landed && grid->m_sortMovingItem == landed)
                grid->finishSortingMove(landed);
        });
}

void GridView::finishSortingMove(const GridViewCellPtr& cell)
{
    m_sortMovingItem = nullptr;
    m_sortFuturePosition = -1;
    m_sortSettling = false;
    setSubviewsCacheAsInvalid();
    if (auto delegate = m_sortingDelegate.lock())
        delegate->GridViewDidEndMovingCell(*this, *cell);
}
