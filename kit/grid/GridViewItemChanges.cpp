// Single-item changes of GridView: insert, remove, replace, swap, and scrolling to an item.
#include "kit/grid/GridView.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr unsigned kStandardOptions = UIViewAnimationOptionAllowUserInteraction | UIViewAnimationOptionBeginFromCurrentState;
constexpr TimeInterval kStandardDuration = 0.3;

std::uint32_t scrollFlag(bool animated)
{
    return animated ? GridViewItemAnimationScroll : GridViewItemAnimationNone;
}
} // namespace

void GridView::insertObjectAtIndexAnimated(std::int64_t index, bool animated)
{
    insertObjectAtIndexWithAnimation(index, scrollFlag(animated));
}

void GridView::removeObjectAtIndexAnimated(std::int64_t index, bool)
{
    removeObjectAtIndexWithAnimation(index, GridViewItemAnimationNone);
}

void GridView::reloadObjectAtIndexAnimated(std::int64_t index, bool animated)
{
    reloadObjectAtIndexWithAnimation(index, scrollFlag(animated));
}

void GridView::swapObjectAtIndexAnimated(std::int64_t index1, std::int64_t index2, bool animated)
{
    swapObjectAtIndexWithAnimation(index1, index2, scrollFlag(animated));
}

void GridView::insertObjectAtIndexWithAnimation(std::int64_t index, std::uint32_t animation)
{
    if (m_numberTotalItems >= kMaximumItemCount)
        return;
    index = std::clamp<std::int64_t>(index, 0, m_numberTotalItems);
    // Every loaded item at or after the new one moves up a place, wherever the loaded range lies,
    // so that no cell answers for an item it no longer shows.
    for (const auto& cell : itemSubviews()) {
        const std::int64_t position = positionForItemSubview(*cell);
        if (position >= index)
            cell->setTag(tagForPosition(position + 1));
    }
    for (const GridViewCellPtr& held : {m_transformingItem, m_returningItem}) {
        if (held && held->superview() != this && positionForItemSubview(*held) >= index)
            held->setTag(tagForPosition(positionForItemSubview(*held) + 1));
    }
    if (m_sortMovingItem && m_sortFuturePosition >= index)
        ++m_sortFuturePosition;
    ++m_numberTotalItems;

    const GridPositionRange range = m_layoutStrategy->rangeOfPositionsInBoundsFromOffset(contentOffset());
    if (range.contains(index)) {
        if (auto cell = newItemSubViewForPosition(index)) {
            if (animation & GridViewItemAnimationFade) {
                cell->setAlpha(0);
                UIView::animateWithDuration(kStandardDuration, kStandardDuration, UIViewAnimationOptionNone,
                                            [&] { cell->setAlpha(1); });
            }
            addSubview(cell);
        }
    }
    recomputeSizeAnimated(true);
    if (animation & GridViewItemAnimationScroll) {
        const std::weak_ptr<UIView> weakSelf = weak_from_this();
        UIView::animateWithDuration(
            kStandardDuration, 0, kStandardOptions,
            [&] { scrollToObjectAtIndex(index, GridViewScrollPositionNone, false); },
            [weakSelf, animation](bool) {
                if (auto grid = std::static_pointer_cast<GridView>(weakSelf.lock()))
                    grid->layoutSubviewsWithAnimation(animation);
            });
    } else {
        layoutSubviewsWithAnimation(animation);
    }
    setSubviewsCacheAsInvalid();
}

void GridView::removeObjectAtIndexWithAnimation(std::int64_t index, std::uint32_t animation)
{
    if (index < 0 || index >= m_numberTotalItems)
        return;
    // A dragged or transformed item keeps its cell; only its place goes.
    GridViewCellPtr removed = cellForItemAtIndex(index);
    if (isHeldAside(removed.get()))
        removed = nullptr;
    for (const auto& cell : itemSubviews()) {
        const std::int64_t position = positionForItemSubview(*cell);
        if (position > index)
            cell->setTag(tagForPosition(position - 1));
    }
    for (const GridViewCellPtr& held : {m_transformingItem, m_returningItem}) {
        if (held && held->superview() != this && positionForItemSubview(*held) > index)
            held->setTag(tagForPosition(positionForItemSubview(*held) - 1));
    }
    if (m_sortMovingItem && m_sortFuturePosition > index)
        --m_sortFuturePosition;
    const std::uint64_t mark = removed ? markDeparting(removed) : 0;
    --m_numberTotalItems;

    const bool fade = (animation & GridViewItemAnimationFade) != 0;
    const std::weak_ptr<UIView> weakSelf = weak_from_this();
    const std::weak_ptr<GridViewCell> weakRemoved = removed;
    UIView::animateWithDuration(
        fade ? kStandardDuration : 0, 0, kStandardOptions,
        [&] {
            if (removed) {
                if (const auto& content = removed->contentView())
                    content->setAlpha(0.3);
                removed->setAlpha(0);
            }
            if (animation & GridViewItemAnimationScroll)
                scrollToObjectAtIndex(index, GridViewScrollPositionNone, false);
            recomputeSizeAnimated(true);
        },
        [weakSelf, weakRemoved, mark, fade](bool) {
            auto grid = std::static_pointer_cast<GridView>(weakSelf.lock());
            if (!grid)
                return;
            // The cell is parked only if nothing else (a reload, a reuse) has claimed it since.
            auto cell = weakRemoved.lock();
            if (cell && grid->takeDeparture(cell.get(), mark) && cell->superview() == grid.get()) {
                if (const auto& content = cell->contentView())
                    content->setAlpha(1);
                grid->queueReusableCell(cell);
                cell->removeFromSuperview();
            }
            grid->m_firstPositionLoaded = -1;
            grid->m_lastPositionLoaded = -1;
            grid->loadRequiredItems();
            grid->relayoutItemsAnimated(fade);
        });
    setSubviewsCacheAsInvalid();
}

void GridView::reloadObjectAtIndexWithAnimation(std::int64_t index, std::uint32_t animation)
{
    if (index < 0 || index >= m_numberTotalItems)
        return;
    GridViewCellPtr old = cellForItemAtIndex(index);
    if (isHeldAside(old.get()))
        return;
    const std::uint64_t mark = old ? markDeparting(old) : 0;
    GridViewCellPtr replacement;
    const GridPositionRange range = m_layoutStrategy->rangeOfPositionsInBoundsFromOffset(contentOffset());
    if (old || range.contains(index)) {
        replacement = newItemSubViewForPosition(index);
        if (replacement) {
            replacement->setAlpha(0);
            addSubview(replacement);
        }
    }
    const std::weak_ptr<UIView> weakSelf = weak_from_this();
    const std::weak_ptr<GridViewCell> weakOld = old;
    UIView::animateWithDuration(
        (animation & GridViewItemAnimationFade) ? kStandardDuration : 0, 0, kStandardOptions,
        [&] {
            if (animation & GridViewItemAnimationScroll)
                scrollToObjectAtIndex(index, GridViewScrollPositionNone, false);
            if (old)
                old->setAlpha(0);
            if (replacement)
                replacement->setAlpha(1);
        },
        [weakSelf, weakOld, mark](bool) {
            auto grid = std::static_pointer_cast<GridView>(weakSelf.lock());
            auto cell = weakOld.lock();
            if (grid && cell && grid->takeDeparture(cell.get(), mark) && cell->superview() == grid.get()) {
                cell->removeFromSuperview();
                grid->setSubviewsCacheAsInvalid();
            }
        });
    setSubviewsCacheAsInvalid();
}

void GridView::swapObjectAtIndexWithAnimation(std::int64_t index1, std::int64_t index2, std::uint32_t animation)
{
    if (index1 < 0 || index2 < 0 || index1 >= m_numberTotalItems || index2 >= m_numberTotalItems)
        return;
    const GridViewCellPtr first = cellForItemAtIndex(index1);
    const GridViewCellPtr second = cellForItemAtIndex(index2);
    if (first) {
        first->setTag(tagForPosition(index2));
        if (!isHeldAside(first.get()))
            first->setFrame(itemFrame(index2));
    }
    if (second) {
        second->setTag(tagForPosition(index1));
        if (!isHeldAside(second.get()))
            second->setFrame(itemFrame(index1));
    }
    // What the user sees is the bounds at the offset, not the whole content.
    const CGRect visible = CGRect {contentOffset(), bounds().size};
    const std::weak_ptr<UIView> weakSelf = weak_from_this();
    UIView::animateWithDuration(
        kStandardDuration, 0, kStandardOptions,
        [&] {
            if (!(animation & GridViewItemAnimationScroll))
                return;
            if (!CGRectIntersectsRect(itemFrame(index1), visible))
                scrollToObjectAtIndex(index1, GridViewScrollPositionNone, false);
            else if (!CGRectIntersectsRect(itemFrame(index2), visible))
                scrollToObjectAtIndex(index2, GridViewScrollPositionNone, false);
        },
        [weakSelf](bool) {
            if (auto grid = weakSelf.lock())
                grid->setNeedsLayout();
        });
    setSubviewsCacheAsInvalid();
}

void GridView::scrollToObjectAtIndex(std::int64_t index, std::int32_t scrollPosition, bool animated)
{
    index = std::clamp<std::int64_t>(index, 0, m_numberTotalItems);
    const CGPoint origin = m_layoutStrategy->originForItemAtPosition(index);
    CGRect target = rectForPoint(origin, isPagingEnabled());
    if (!isPagingEnabled()) {
        // Top, middle and bottom place the item within the visible height.
        const CGFloat visibleHeight = bounds().size.height - contentInset().top - contentInset().bottom;
        const CGFloat slack = visibleHeight - m_itemSize.height;
        switch (scrollPosition) {
        case GridViewScrollPositionTop:
            target = CGRectMake(origin.x, origin.y, m_itemSize.width, visibleHeight);
            break;
        case GridViewScrollPositionMiddle:
            target = CGRectMake(origin.x, std::max<CGFloat>(0, origin.y - std::ceil(slack * 0.5)), m_itemSize.width,
                                visibleHeight);
            break;
        case GridViewScrollPositionBottom:
            target = CGRectMake(origin.x, std::max<CGFloat>(0, std::floor(origin.y - slack)), m_itemSize.width,
                                visibleHeight);
            break;
        default:
            target = CGRect {origin, m_itemSize};
            break;
        }
    }
    UIView::animateWithDuration(animated ? kStandardDuration : 0, 0, kStandardOptions,
                                [&] { scrollRectToVisible(target, false); });
}
