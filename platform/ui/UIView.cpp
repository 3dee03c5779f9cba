#include "platform/ui/UIView.h"
#include "platform/ui/ViewFingerprint.h"

#include "platform/ui/InterfaceProperty.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/UIViewController.h"
#include "platform/ui/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
struct PendingAnimation {
    std::uint64_t id = 0;
    UIView::RunningAnimation info;
};
std::vector<PendingAnimation> g_running;
std::uint64_t g_nextAnimation = 1;
bool g_animationsEnabled = true;

bool finite(const CGRect& r)
{
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width)
        && std::isfinite(r.size.height);
}

// One axis of autoresizing: the flexible parts share the change in proportion to their sizes
// (equally when they are all zero).
void resizeAxis(double& origin, double& size, double oldExtent, double newExtent, bool flexLead, bool flexSize,
                bool flexTrail)
{
    const double delta = newExtent - oldExtent;
    if (delta == 0 || !(flexLead || flexSize || flexTrail))
        return;
    double lead = origin, mid = size, trail = oldExtent - origin - size;
    const double weightLead = flexLead ? std::max(0.0, lead) : 0;
    const double weightMid = flexSize ? std::max(0.0, mid) : 0;
    const double weightTrail = flexTrail ? std::max(0.0, trail) : 0;
    const double total = weightLead + weightMid + weightTrail;
    const int count = int(flexLead) + int(flexSize) + int(flexTrail);
    const auto share = [&](bool flexible, double weight) {
        if (!flexible)
            return 0.0;
        return total > 0 ? delta * weight / total : delta / count;
    };
    lead += share(flexLead, weightLead);
    mid += share(flexSize, weightMid);
    origin = lead;
    size = std::max(0.0, mid);
}
} // namespace

std::shared_ptr<UIView> UIView::create(const CGRect& frame)
{
    return std::make_shared<UIView>(frame);
}

UIView::UIView(const CGRect& frame)
{
    setFrame(frame);
}

UIView::~UIView()
{
    for (auto& view : m_subviews)
        view->m_superview = nullptr;
}

CGRect UIView::frame() const
{
    const CGRect local = CGRectMake(-m_bounds.size.width / 2, -m_bounds.size.height / 2, m_bounds.size.width,
                                    m_bounds.size.height);
    const CGRect moved = CGAffineTransformIsIdentity(m_transform) ? local : CGRectApplyAffineTransform(local, m_transform);
    return CGRectOffset(moved, m_center.x, m_center.y);
}

void UIView::setFrame(const CGRect& rect)
{
    if (!finite(rect)) {
        NSLog("UIView: ignoring a frame that is not a finite rectangle");
        return;
    }
    const CGRect f = CGRectStandardize(rect);
    const CGAffineTransform& t = m_transform;
    CGSize size = f.size;
    // With a rotation or shear the frame does not tell the size; only the position follows.
    if (t.b != 0 || t.c != 0 || t.a == 0 || t.d == 0)
        size = m_bounds.size;
    else
        size = {f.size.width / std::fabs(t.a), f.size.height / std::fabs(t.d)};
    m_center = {CGRectGetMidX(f) - t.tx, CGRectGetMidY(f) - t.ty};
    setBounds(CGRectMake(m_bounds.origin.x, m_bounds.origin.y, size.width, size.height));
}

void UIView::setBounds(const CGRect& rect)
{
    if (!finite(rect)) {
        NSLog("UIView: ignoring bounds that are not a finite rectangle");
        return;
    }
    const CGSize old = m_bounds.size;
    m_bounds = CGRectStandardize(rect);
    if (old == m_bounds.size)
        return;
    boundsSizeDidChange(old);
    if (m_autoresizesSubviews)
        autoresizeSubviews(old);
    setNeedsLayout();
    if (m_contentMode == UIViewContentMode::Redraw)
        setNeedsDisplayKeepingStamp();
}

void UIView::setCenter(const CGPoint& center)
{
    if (std::isfinite(center.x) && std::isfinite(center.y))
        m_center = center;
}

void UIView::setTransform(const CGAffineTransform& t)
{
    if (std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) && std::isfinite(t.d) && std::isfinite(t.tx)
        && std::isfinite(t.ty))
        m_transform = t;
}

void UIView::autoresizeSubviews(CGSize oldSize)
{
    for (const auto& view : m_subviews) {
        const unsigned mask = view->m_autoresizingMask;
        if (mask == UIViewAutoresizingNone)
            continue;
        CGRect f = view->frame();
        resizeAxis(f.origin.x, f.size.width, oldSize.width, m_bounds.size.width,
                   mask & UIViewAutoresizingFlexibleLeftMargin, mask & UIViewAutoresizingFlexibleWidth,
                   mask & UIViewAutoresizingFlexibleRightMargin);
        resizeAxis(f.origin.y, f.size.height, oldSize.height, m_bounds.size.height,
                   mask & UIViewAutoresizingFlexibleTopMargin, mask & UIViewAutoresizingFlexibleHeight,
                   mask & UIViewAutoresizingFlexibleBottomMargin);
        view->setFrame(f);
    }
}

void UIView::setAlpha(CGFloat alpha)
{
    m_alpha = std::isnan(alpha) ? 1 : std::clamp(alpha, 0.0, 1.0);
}

void UIView::setHidden(bool hidden)
{
    m_hidden = hidden;
}

void UIView::setBackgroundColor(const UIColorPtr& color)
{
    m_backgroundColor = color;
    setNeedsDisplayKeepingStamp();
}

void UIView::setContentMode(UIViewContentMode mode)
{
    m_contentMode = mode;
    setNeedsDisplayKeepingStamp();
}

// Hierarchy.

const UIView* UIView::root() const
{
    const UIView* view = this;
    while (view->m_superview)
        view = view->m_superview;
    return view;
}

UIWindow* UIView::window() const
{
    return dynamic_cast<UIWindow*>(const_cast<UIView*>(root()));
}

bool UIView::isDescendantOfView(const UIView* view) const
{
    for (const UIView* v = this; v; v = v->m_superview) {
        if (v == view)
            return true;
    }
    return false;
}

void UIView::attach(const std::shared_ptr<UIView>& view, std::size_t index)
{
    if (!view)
        return;
    if (view.get() == this || isDescendantOfView(view.get())) {
        NSLog("UIView: refusing to add a view inside itself");
        return;
    }
    const std::shared_ptr<UIView> keep = view;
    UIWindow* oldWindow = view->window();
    if (view->m_superview == this) {
        auto it = std::find(m_subviews.begin(), m_subviews.end(), view);
        const std::size_t at = static_cast<std::size_t>(it - m_subviews.begin());
        m_subviews.erase(it);
        if (at < index)
            --index;
        m_subviews.insert(m_subviews.begin() + static_cast<std::ptrdiff_t>(std::min(index, m_subviews.size())), keep);
        return;
    }
    if (view->m_superview)
        view->detachFromSuperview();
    view->willMoveToSuperview(this);
    m_subviews.insert(m_subviews.begin() + static_cast<std::ptrdiff_t>(std::min(index, m_subviews.size())), keep);
    view->m_superview = this;
    didAddSubview(view.get());
    view->didMoveToSuperview();
    if (view->window() != oldWindow)
        view->notifyMovedToWindow();
    setNeedsLayout();
}

void UIView::addSubview(const std::shared_ptr<UIView>& view)
{
    attach(view, m_subviews.size());
}

void UIView::insertSubviewAtIndex(const std::shared_ptr<UIView>& view, std::size_t index)
{
    attach(view, index);
}

void UIView::insertSubviewBelowSubview(const std::shared_ptr<UIView>& view, const UIView* sibling)
{
    auto it = std::find_if(m_subviews.begin(), m_subviews.end(), [&](const auto& v) { return v.get() == sibling; });
    attach(view, it == m_subviews.end() ? m_subviews.size() : static_cast<std::size_t>(it - m_subviews.begin()));
}

void UIView::insertSubviewAboveSubview(const std::shared_ptr<UIView>& view, const UIView* sibling)
{
    auto it = std::find_if(m_subviews.begin(), m_subviews.end(), [&](const auto& v) { return v.get() == sibling; });
    attach(view, it == m_subviews.end() ? m_subviews.size() : static_cast<std::size_t>(it - m_subviews.begin()) + 1);
}

void UIView::detachFromSuperview()
{
    UIView* parent = m_superview;
    auto& siblings = parent->m_subviews;
    auto it = std::find_if(siblings.begin(), siblings.end(), [&](const auto& v) { return v.get() == this; });
    if (it == siblings.end()) {
        m_superview = nullptr;
        return;
    }
    const std::shared_ptr<UIView> keep = *it; // stays alive until this call is done with it
    parent->willRemoveSubview(this);
    siblings.erase(it);
    m_superview = nullptr;
}

void UIView::removeFromSuperview()
{
    if (!m_superview)
        return;
    std::shared_ptr<UIView> keep;
    for (const auto& v : m_superview->m_subviews) {
        if (v.get() == this)
            keep = v;
    }
    UIWindow* oldWindow = window();
    willMoveToSuperview(nullptr);
    detachFromSuperview();
    didMoveToSuperview();
    if (oldWindow)
        notifyMovedToWindow();
}

void UIView::notifyMovedToWindow()
{
    didMoveToWindow();
    const auto children = m_subviews;
    for (const auto& view : children)
        view->notifyMovedToWindow();
}

void UIView::bringSubviewToFront(const UIView* view)
{
    auto it = std::find_if(m_subviews.begin(), m_subviews.end(), [&](const auto& v) { return v.get() == view; });
    if (it != m_subviews.end())
        std::rotate(it, it + 1, m_subviews.end());
}

void UIView::sendSubviewToBack(const UIView* view)
{
    auto it = std::find_if(m_subviews.begin(), m_subviews.end(), [&](const auto& v) { return v.get() == view; });
    if (it != m_subviews.end())
        std::rotate(m_subviews.begin(), it, it + 1);
}

std::shared_ptr<UIView> UIView::viewWithTag(int tag)
{
    if (m_tag == tag)
        return shared_from_this();
    for (const auto& view : m_subviews) {
        if (auto found = view->viewWithTag(tag))
            return found;
    }
    return nullptr;
}

// Layout and drawing.

void UIView::layoutIfNeeded()
{
    if (m_needsLayout) {
        m_needsLayout = false;
        if (m_viewController)
            m_viewController->viewWillLayoutSubviews();
        layoutSubviews();
        if (m_viewController)
            m_viewController->viewDidLayoutSubviews();
    }
    const auto children = m_subviews;
    for (const auto& view : children)
        view->layoutIfNeeded();
}

CGSize UIView::sizeThatFits(CGSize) const
{
    return m_bounds.size;
}

void UIView::sizeToFit()
{
    const CGSize size = sizeThatFits(m_bounds.size);
    const CGRect f = frame();
    setFrame(CGRectMake(f.origin.x, f.origin.y, size.width, size.height));
}

void UIView::setNeedsDisplay()
{
    // Stamps are unique across views, so that one view put in another's place shows.
    static std::uint64_t lastStamp = 0;
    m_needsDisplay = true;
    m_contentStamp = ++lastStamp;
}

void UIView::drawRect(const CGRect&) {}

void UIView::addDrawnContent(ViewFingerprint& fingerprint) const
{
    fingerprint.add(m_contentStamp);
}

// Coordinates.

CGPoint UIView::pointToSuperview(CGPoint p) const
{
    const CGPoint local {p.x - (m_bounds.origin.x + m_bounds.size.width / 2),
                         p.y - (m_bounds.origin.y + m_bounds.size.height / 2)};
    const CGPoint moved = CGPointApplyAffineTransform(local, m_transform);
    return {moved.x + m_center.x, moved.y + m_center.y};
}

CGPoint UIView::pointFromSuperview(CGPoint p) const
{
    const CGPoint local = CGPointApplyAffineTransform({p.x - m_center.x, p.y - m_center.y},
                                                      CGAffineTransformInvert(m_transform));
    return {local.x + m_bounds.origin.x + m_bounds.size.width / 2, local.y + m_bounds.origin.y + m_bounds.size.height / 2};
}

CGPoint UIView::pointToRootSpace(CGPoint p) const
{
    for (const UIView* v = this; v; v = v->m_superview)
        p = v->pointToSuperview(p);
    return p;
}

CGPoint UIView::pointFromRootSpace(CGPoint p) const
{
    std::vector<const UIView*> chain;
    for (const UIView* v = this; v; v = v->m_superview)
        chain.push_back(v);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        p = (*it)->pointFromSuperview(p);
    return p;
}

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const
{
    const UIView* target = view ? view : root();
    return target->pointFromRootSpace(pointToRootSpace(point));
}

CGPoint UIView::convertPointFromView(CGPoint point, const UIView* view) const
{
    const UIView* source = view ? view : root();
    return pointFromRootSpace(source->pointToRootSpace(point));
}

namespace {
template <class Convert>
CGRect convertCorners(const CGRect& rect, Convert convert)
{
    const CGRect r = CGRectStandardize(rect);
    const CGPoint corners[4] = {
        convert(r.origin),
        convert(CGPoint {r.origin.x + r.size.width, r.origin.y}),
        convert(CGPoint {r.origin.x, r.origin.y + r.size.height}),
        convert(CGPoint {r.origin.x + r.size.width, r.origin.y + r.size.height}),
    };
    double minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
    for (const auto& c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}
} // namespace

CGRect UIView::convertRectToView(const CGRect& rect, const UIView* view) const
{
    return convertCorners(rect, [&](CGPoint p) { return convertPointToView(p, view); });
}

CGRect UIView::convertRectFromView(const CGRect& rect, const UIView* view) const
{
    return convertCorners(rect, [&](CGPoint p) { return convertPointFromView(p, view); });
}

bool UIView::pointInside(CGPoint point) const
{
    return CGRectContainsPoint(m_bounds, point);
}

std::shared_ptr<UIView> UIView::hitTest(CGPoint point)
{
    if (m_hidden || !m_userInteractionEnabled || m_alpha < 0.01 || !pointInside(point))
        return nullptr;
    for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it) {
        const std::shared_ptr<UIView> child = *it;
        if (auto hit = child->hitTest(child->pointFromSuperview(point)))
            return hit;
    }
    return shared_from_this();
}

// Animations.

void UIView::animateWithDuration(TimeInterval duration, TimeInterval delay, unsigned options,
                                 const std::function<void()>& animations, std::function<void(bool)> completion)
{
    if (!std::isfinite(duration) || duration < 0 || !g_animationsEnabled)
        duration = 0;
    if (!std::isfinite(delay) || delay < 0 || !g_animationsEnabled)
        delay = 0;
    if (animations)
        animations();
    const std::uint64_t id = g_nextAnimation++;
    g_running.push_back({id, {duration, delay, options, RunLoop::main().now()}});
    RunLoop::main().perform(
        [id, completion = std::move(completion)] {
            std::erase_if(g_running, [id](const PendingAnimation& p) { return p.id == id; });
            if (completion)
                completion(true);
        },
        delay + duration, nullptr, {RunLoopModes::Common});
}

void UIView::animateWithDuration(TimeInterval duration, const std::function<void()>& animations,
                                 std::function<void(bool)> completion)
{
    animateWithDuration(duration, 0, UIViewAnimationOptionNone, animations, std::move(completion));
}

void UIView::setAnimationsEnabled(bool enabled) { g_animationsEnabled = enabled; }
bool UIView::areAnimationsEnabled() { return g_animationsEnabled; }

void UIView::performWithoutAnimation(const std::function<void()>& actions)
{
    const bool was = g_animationsEnabled;
    g_animationsEnabled = false;
    if (actions)
        actions();
    g_animationsEnabled = was;
}

std::vector<UIView::RunningAnimation> UIView::runningAnimations()
{
    std::vector<RunningAnimation> out;
    for (const auto& p : g_running)
        out.push_back(p.info);
    return out;
}

void UIView::resetAnimations()
{
    g_running.clear();
    g_animationsEnabled = true;
}

// First responder.

bool UIView::isFirstResponder() const
{
    UIWindow* w = window();
    return w && w->firstResponder().get() == this;
}

bool UIView::becomeFirstResponder()
{
    if (!canBecomeFirstResponder())
        return false;
    UIWindow* w = window();
    if (!w)
        return false;
    auto current = w->firstResponder();
    if (current.get() == this)
        return true;
    if (current && !current->resignFirstResponder())
        return false;
    w->m_firstResponder = weak_from_this();
    return true;
}

bool UIView::resignFirstResponder()
{
    UIWindow* w = window();
    if (w && w->firstResponder().get() == this)
        w->m_firstResponder.reset();
    return true;
}

bool UIView::endEditing(bool force)
{
    UIWindow* w = window();
    auto current = w ? w->firstResponder() : nullptr;
    if (!current || !current->isDescendantOfView(this))
        return true;
    return force ? current->forceResignFirstResponder() : current->resignFirstResponder();
}

void UIView::addMotionEffect(const UIMotionEffectPtr& effect)
{
    if (effect && std::find(m_motionEffects.begin(), m_motionEffects.end(), effect) == m_motionEffects.end())
        m_motionEffects.push_back(effect);
}

std::shared_ptr<void> UIView::associatedObject(const void* key) const
{
    const auto it = m_associatedObjects.find(key);
    return it == m_associatedObjects.end() ? nullptr : it->second;
}

void UIView::setAssociatedObject(const void* key, std::shared_ptr<void> value)
{
    if (value)
        m_associatedObjects[key] = std::move(value);
    else
        m_associatedObjects.erase(key);
}

void UIView::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UIView>("UIView", "")
        .property("backgroundColor", prop<UIView>(asColor, [](UIView& v, const UIColorPtr& c) { v.setBackgroundColor(c); }))
        .property("alpha", prop<UIView>(asNumber, [](UIView& v, double a) { v.setAlpha(a); }))
        .property("hidden", prop<UIView>(asFlag, [](UIView& v, bool h) { v.setHidden(h); }))
        .property("clipsToBounds", prop<UIView>(asFlag, [](UIView& v, bool c) { v.setClipsToBounds(c); }))
        .property("opaque", prop<UIView>(asFlag, [](UIView& v, bool o) { v.setOpaque(o); }))
        .property("userInteractionEnabled",
                  prop<UIView>(asFlag, [](UIView& v, bool e) { v.setUserInteractionEnabled(e); }))
        .property("autoresizingMask",
                  prop<UIView>(
                      [](const json& v) {
                          return V::mask(v, {{"flexibleLeftMargin", UIViewAutoresizingFlexibleLeftMargin},
                                             {"flexibleWidth", UIViewAutoresizingFlexibleWidth},
                                             {"flexibleRightMargin", UIViewAutoresizingFlexibleRightMargin},
                                             {"flexibleTopMargin", UIViewAutoresizingFlexibleTopMargin},
                                             {"flexibleHeight", UIViewAutoresizingFlexibleHeight},
                                             {"flexibleBottomMargin", UIViewAutoresizingFlexibleBottomMargin}});
                      },
                      [](UIView& v, unsigned m) { v.setAutoresizingMask(m); }))
        .property("contentMode",
                  prop<UIView>(
                      [](const json& v) {
                          return V::choice(v, {{"scaleToFill", 0}, {"scaleAspectFit", 1}, {"scaleAspectFill", 2},
                                               {"redraw", 3}, {"center", 4}, {"top", 5}, {"bottom", 6}, {"left", 7},
                                               {"right", 8}, {"topLeft", 9}, {"topRight", 10}, {"bottomLeft", 11},
                                               {"bottomRight", 12}});
                      },
                      [](UIView& v, int m) { v.setContentMode(static_cast<UIViewContentMode>(m)); }))
        .property("cornerRadius", prop<UIView>(asNumber, [](UIView& v, double radius) { v.layer().cornerRadius = radius; }))
        .property("borderWidth", prop<UIView>(asNumber, [](UIView& v, double w) { v.layer().borderWidth = w; }))
        .property("borderColor", prop<UIView>(asColor, [](UIView& v, const UIColorPtr& c) { v.layer().borderColor = c; }));
}
