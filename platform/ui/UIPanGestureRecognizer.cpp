#include "platform/ui/UIPanGestureRecognizer.h"

#include "platform/foundation/RunLoop.h"

CGPoint UIPanGestureRecognizer::centre() const
{
    return locationInView(nullptr);
}

CGPoint UIPanGestureRecognizer::translationInView(const UIView* view) const
{
    if (numberOfTouches() == 0)
        return CGPointZero;
    const CGPoint now = rootToView(centre(), view);
    const CGPoint start = rootToView(m_start, view);
    return CGPointMake(now.x - start.x, now.y - start.y);
}

void UIPanGestureRecognizer::setTranslation(CGPoint translation, const UIView* view)
{
    const CGPoint now = rootToView(centre(), view);
    m_start = viewToRoot(CGPointMake(now.x - translation.x, now.y - translation.y), view);
}

CGPoint UIPanGestureRecognizer::velocityInView(const UIView* view) const
{
    const CGPoint origin = rootToView(CGPointZero, view);
    const CGPoint tip = rootToView(m_velocity, view);
    return CGPointMake(tip.x - origin.x, tip.y - origin.y);
}

void UIPanGestureRecognizer::touchesDidBegin()
{
    m_start = centre();
    m_lastCentre = m_start;
    m_lastMoveAt = RunLoop::main().now();
    m_velocity = CGPointZero;
}

void UIPanGestureRecognizer::touchesDidMove()
{
    const CGPoint now = centre();
    const TimeInterval at = RunLoop::main().now();
    // Moves without time between them (a manual clock that did not advance) keep the last speed.
    if (at > m_lastMoveAt)
        m_velocity = CGPointMake((now.x - m_lastCentre.x) / (at - m_lastMoveAt), (now.y - m_lastCentre.y) / (at - m_lastMoveAt));
    m_lastCentre = now;
    m_lastMoveAt = at;
}

void UIPanGestureRecognizer::resetGesture()
{
    m_start = m_lastCentre = m_velocity = CGPointZero;
    m_lastMoveAt = 0;
}
