// Pinching, rotating and moving one item of a GridView into its full-size view.
#include "kit/grid/GridView.h"

#include "kit/grid/GestureRecognizerAdditions.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr unsigned kStandardOptions = UIViewAnimationOptionAllowUserInteraction | UIViewAnimationOptionBeginFromCurrentState;
constexpr TimeInterval kStandardDuration = 0.3;
constexpr TimeInterval kFinishDelay = 0.1;
constexpr double kReopenScale = 2.5;
constexpr double kFullSizeScale = 2;
constexpr double kMinimumScale = 0.5;
constexpr double kMaximumScale = 3;
constexpr double kBackdropAlpha = 0.9;
} // namespace

void GridView::transformingGestureDidBeginWithGesture(UIGestureRecognizer& gesture)
{
    m_inFullSizeMode = false;
    if (m_inTransformingState && m_transformingItem) {
        // Reopening an item at rest in full size: it starts as large as it left off.
        if (&gesture == m_pinchGesture.get())
            m_pinchGesture->setScale(kReopenScale);
        m_inTransformingState = false;
        const GridViewCellPtr cell = m_transformingItem;
        const auto& full = cell->fullSizeView();
        const CGPoint centre = full ? full->center() : cell->center();
        cell->switchToFullSizeMode(false);
        if (const auto& content = cell->contentView()) {
            content->setTransform(CGAffineTransformMakeScale(kReopenScale, kReopenScale));
            content->setCenter(centre);
        }
        return;
    }
    if (m_transformingItem || m_returningItem)
        return;
    const std::int64_t position = m_layoutStrategy->itemPositionFromLocation(gesture.locationOfTouch(0, this));
    GridViewCellPtr cell = cellForItemAtIndex(position);
    if (!cell || isHeldAside(cell.get()))
        return;
    m_transformingItem = cell;

    UIView& lifted = mainSuperView();
    const CGRect itemInLifted = convertRectToView(cell->frame(), &lifted);
    cell->removeFromSuperview();
    cell->setFrame(lifted.bounds());
    cell->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    lifted.addSubview(cell);
    lifted.bringSubviewToFront(cell.get());
    // The content stays where the item was on screen, inside a cell that now fills the view.
    if (const auto& content = cell->contentView())
        content->setFrame(cell->convertRectFromView(itemInLifted, &lifted));
    setSubviewsCacheAsInvalid();

    if (auto delegate = m_transformDelegate.lock()) {
        cell->setFullSize(delegate->GridViewSizeInFullSizeForCell(*this, *cell, position, statusBarOrientation()));
        cell->setFullSizeView(delegate->GridViewFullSizeViewForCell(*this, *cell, position));
        delegate->GridViewDidStartTransformingCell(*this, *cell);
    }
}

void GridView::pinchGestureUpdated(UIPinchGestureRecognizer& gesture)
{
    switch (gesture.state()) {
    case UIGestureRecognizerState::Began:
        transformingGestureDidBeginWithGesture(gesture);
        [[fallthrough]];
    case UIGestureRecognizerState::Changed: {
        if (!m_transformingItem || !m_transformingItem->contentView())
            return;
        const GridViewCellPtr cell = m_transformingItem;
        const auto& content = cell->contentView();
        const CGAffineTransform t = content->transform();
        double current = static_cast<float>(std::hypot(t.a, t.b));
        if (!(current > 0))
            return;
        double scale = 1 - (m_lastScale - gesture.scale());
        scale = std::min(scale, kMaximumScale / current);
        scale = std::max(scale, kMinimumScale / current);
        if (!(scale >= kMinimumScale && scale <= kMaximumScale))
            return;
        content->setTransform(CGAffineTransformScale(t, scale, scale));
        m_lastScale = gesture.scale();
        current += scale;
        const double alpha = std::min(1.0, std::max(0.0, 1 - (kMaximumScale - current)));
        if (m_showFullSizeViewWithAlphaWhenTransforming && current >= 1.5)
            cell->stepToFullsizeWithAlpha(alpha);
        cell->setBackgroundColor(UIColor::colorWithWhite(1.0 / 3, std::min(alpha, kBackdropAlpha)));
        return;
    }
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed:
        scheduleTransformFinish();
        return;
    default:
        return;
    }
}

void GridView::rotationGestureUpdated(UIRotationGestureRecognizer& gesture)
{
    switch (gesture.state()) {
    case UIGestureRecognizerState::Began:
        transformingGestureDidBeginWithGesture(gesture);
        return;
    case UIGestureRecognizerState::Changed:
        if (m_transformingItem && m_transformingItem->contentView()) {
            const auto& content = m_transformingItem->contentView();
            content->setTransform(CGAffineTransformRotate(content->transform(), gesture.rotation() - m_lastRotation));
            m_lastRotation = gesture.rotation();
        }
        return;
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed:
        scheduleTransformFinish();
        return;
    default:
        return;
    }
}

void GridView::panGestureUpdated(UIPanGestureRecognizer& gesture)
{
    switch (gesture.state()) {
    case UIGestureRecognizerState::Began:
        transformingGestureDidBeginWithGesture(gesture);
        return;
    case UIGestureRecognizerState::Changed: {
        // A finger lifted: the pan ends here, but the last move still counts.
        if (gesture.numberOfTouches() != 2)
            GestureRecognizerAdditions::end(gesture);
        if (m_transformingItem && m_transformingItem->contentView()) {
            const auto& content = m_transformingItem->contentView();
            const CGPoint moved = gesture.translationInView(this);
            content->setCenter(CGPointMake(content->center().x + moved.x, content->center().y + moved.y));
        }
        gesture.setTranslation(CGPointZero, this);
        return;
    }
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled:
    case UIGestureRecognizerState::Failed:
        scheduleTransformFinish();
        setScrollEnabled(true);
        return;
    default:
        return;
    }
}

void GridView::scheduleTransformFinish()
{
    RunLoop::main().cancelPerform(m_transformFinish);
    m_transformFinish = RunLoop::main().perform([this] { transformingGestureDidFinish(); }, kFinishDelay, this,
                                                {RunLoopModes::Common});
}

void GridView::moveTransformRecognizersTo(UIView& view)
{
    view.addGestureRecognizer(m_pinchGesture);
    view.addGestureRecognizer(m_rotationGesture);
    view.addGestureRecognizer(m_panGesture);
}

void GridView::transformingGestureDidFinish()
{
    m_transformFinish = 0;
    if (!m_transformingItem)
        return;
    const GridViewCellPtr cell = m_transformingItem;
    if (m_lastScale > kFullSizeScale && !m_inTransformingState) {
        enterFullSize(cell);
        return;
    }
    if (m_inTransformingState)
        return;

    // Back into the grid.
    m_lastRotation = 0;
    m_lastScale = 1;
    m_transformingItem = nullptr;
    m_returningItem = cell;
    const std::int64_t position = positionForItemSubview(*cell);
    UIView& lifted = mainSuperView();
    const CGRect home = itemFrame(position);
    const CGRect homeInCell = cell->convertRectFromView(home, this);
    cell->switchToFullSizeMode(false);
    cell->setAutoresizingMask(UIViewAutoresizingNone);
    const std::weak_ptr<UIView> weakSelf = weak_from_this();
    const std::weak_ptr<UIView> weakLifted = lifted.weak_from_this();
    const std::weak_ptr<GridViewCell> weakCell = cell;
    const auto flyBack = [&] {
        if (const auto& content = cell->contentView()) {
            content->setTransform(CGAffineTransformIdentity);
            content->setFrame(homeInCell);
        }
        cell->setBackgroundColor(UIColor::clearColor());
    };
    UIView::animateWithDuration(kStandardDuration, 0, kStandardOptions, flyBack, [weakSelf, weakLifted, weakCell](bool) {
        if (auto grid = std::static_pointer_cast<GridView>(weakSelf.lock()))
            grid->returnFromTransformDidFinish(weakCell.lock(), weakLifted.lock());
    });
}

void GridView::enterFullSize(const GridViewCellPtr& cell)
{
    m_lastRotation = 0;
    m_lastScale = 1;
    CGFloat angle = 0;
    if (const auto& content = cell->contentView()) {
        const CGAffineTransform t = content->transform();
        angle = static_cast<float>(std::atan2(t.b, t.a));
        content->setTransform(CGAffineTransformIdentity);
    }
    cell->switchToFullSizeMode(true);
    cell->setBackgroundColor(UIColor::colorWithWhite(1.0 / 3, kBackdropAlpha));
    const UIViewPtr full = cell->fullSizeView();
    if (full) {
        full->setTransform(CGAffineTransformMakeRotation(angle));
        UIView::animateWithDuration(kStandardDuration, 0, kStandardOptions,
                                    [&] { full->setTransform(CGAffineTransformIdentity); });
    }
    m_inTransformingState = true;
    m_inFullSizeMode = true;
    if (auto delegate = m_transformDelegate.lock())
        delegate->GridViewDidEnterFullSizeForCell(*this, *cell);
    // The gestures go on working on the full-size view.
    if (full)
        moveTransformRecognizersTo(*full);
}

void GridView::returnFromTransformDidFinish(const GridViewCellPtr& returning, const UIViewPtr& liftedInto)
{
    // Only the item this flight started for lands, and only if it is still where it was left.
    if (returning && m_returningItem == returning) {
        m_returningItem = nullptr;
        const std::int64_t at = positionForItemSubview(*returning);
        if (liftedInto && returning->superview() == liftedInto.get() && at >= 0 && at < m_numberTotalItems) {
            returning->removeFromSuperview();
            returning->setFrame(itemFrame(at));
            if (const auto& content = returning->contentView())
                content->setFrame(returning->bounds());
            addSubview(returning);
            returning->setFullSizeView(nullptr);
        } else if (returning->superview() == liftedInto.get()) {
            returning->removeFromSuperview();
            queueReusableCell(returning);
        }
        setSubviewsCacheAsInvalid();
    }
    m_inFullSizeMode = false;
    if (auto delegate = transformDelegate(); delegate && returning)
        delegate->GridViewDidEndTransformingCell(*this, *returning);
    moveTransformRecognizersTo(*this);
}
