#include "platform/ui/UIGestureRecognizer.h"

#include "platform/ui/UIView.h"

#include <algorithm>

void UIGestureRecognizer::addTarget(const void* target, Action action)
{
    if (action)
        m_targets.push_back({target, std::make_shared<Action>(std::move(action))});
}

void UIGestureRecognizer::removeTarget(const void* target)
{
    std::erase_if(m_targets, [target](const Target& t) { return t.target == target; });
}

void UIGestureRecognizer::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (!enabled && (m_state == UIGestureRecognizerState::Began || m_state == UIGestureRecognizerState::Changed))
        transition(UIGestureRecognizerState::Cancelled);
}

void UIGestureRecognizer::requireGestureRecognizerToFail(const std::shared_ptr<UIGestureRecognizer>& other)
{
    if (other && other.get() != this)
        m_requiredToFail.push_back(other);
}

std::vector<std::shared_ptr<UIGestureRecognizer>> UIGestureRecognizer::requiredToFail() const
{
    std::vector<std::shared_ptr<UIGestureRecognizer>> out;
    for (const auto& weak : m_requiredToFail) {
        if (auto other = weak.lock())
            out.push_back(std::move(other));
    }
    return out;
}

namespace {
const UIView* rootOf(const UIView* view)
{
    while (view->superview())
        view = view->superview();
    return view;
}
} // namespace

// Touches are kept in the space the root view's frame is given in (the screen, for a window), so
// that a finger at rest stays put while the views under it scroll.
CGPoint UIGestureRecognizer::rootToView(CGPoint point, const UIView* view) const
{
    if (!view)
        return point;
    const UIView* root = rootOf(view);
    const CGPoint inRoot = CGPointMake(point.x - root->frame().origin.x + root->bounds().origin.x,
                                       point.y - root->frame().origin.y + root->bounds().origin.y);
    return view->convertPointFromView(inRoot, nullptr);
}

CGPoint UIGestureRecognizer::viewToRoot(CGPoint point, const UIView* view) const
{
    if (!view)
        return point;
    const UIView* root = rootOf(view);
    const CGPoint inRoot = view->convertPointToView(point, nullptr);
    return CGPointMake(inRoot.x - root->bounds().origin.x + root->frame().origin.x,
                       inRoot.y - root->bounds().origin.y + root->frame().origin.y);
}

CGPoint UIGestureRecognizer::locationInView(const UIView* view) const
{
    if (m_touches.empty())
        return CGPointZero;
    CGPoint sum {};
    for (const CGPoint& p : m_touches) {
        sum.x += p.x;
        sum.y += p.y;
    }
    const auto count = static_cast<CGFloat>(m_touches.size());
    return rootToView(CGPointMake(sum.x / count, sum.y / count), view);
}

CGPoint UIGestureRecognizer::locationOfTouch(std::size_t index, const UIView* view) const
{
    if (index >= m_touches.size())
        return CGPointZero;
    return rootToView(m_touches[index], view);
}

void UIGestureRecognizer::setTouches(const std::vector<CGPoint>& touchesInView)
{
    m_touches.clear();
    for (const CGPoint& p : touchesInView)
        m_touches.push_back(viewToRoot(p, m_view));
}

void UIGestureRecognizer::transition(UIGestureRecognizerState state)
{
    // An action may drop the last other owner of this recogniser (a view letting it go).
    const auto keep = weak_from_this().lock();
    m_state = state;
    ++m_transitionDepth;
    if (state != UIGestureRecognizerState::Failed && state != UIGestureRecognizerState::Possible)
        sendActions();
    --m_transitionDepth;
    // An action that ends its own gesture (by disabling it) still reads the gesture's values
    // afterwards; the reset waits until the outermost transition is done.
    if (m_transitionDepth == 0
        && (m_state == UIGestureRecognizerState::Ended || m_state == UIGestureRecognizerState::Cancelled
            || m_state == UIGestureRecognizerState::Failed)) {
        m_state = UIGestureRecognizerState::Possible;
        m_touches.clear();
        resetGesture();
    }
}

void UIGestureRecognizer::sendActions()
{
    // Over a snapshot: an action may add or remove targets.
    const auto targets = m_targets;
    for (const Target& t : targets)
        (*t.action)(*this);
}
