#pragma once

#include "platform/foundation/Clock.h"
#include "platform/graphics/CGAffineTransform.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/ui/CALayer.h"
#include "platform/ui/GestureRecognizerList.h"
#include "platform/ui/UIMotionEffect.h"
#include "platform/ui/UIViewTypes.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

class InterfaceRegistry;

class UIGestureRecognizer;
class ViewFingerprint;
class UIViewController;
class UIWindow;

// A rectangle on screen with its subviews.
//
// Views live in shared pointers (make them with create(), or std::make_shared for subclasses);
// a superview owns its subviews, and a subview knows its superview by a plain pointer that the
// superview clears when it lets the subview go.
//
// Geometry: center (in the superview's space), bounds (the view's own space) and transform
// (about the center) are stored; the frame is derived from them, and setting it sets the center
// and the bounds size. Layout and drawing are not run by themselves: layoutIfNeeded() runs the
// pending layouts of a tree, and the renderer runs it before drawing.
class UIView : public std::enable_shared_from_this<UIView> {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    static std::shared_ptr<UIView> create(const CGRect& frame = CGRectZero);
    explicit UIView(const CGRect& frame = CGRectZero);
    virtual ~UIView();
    UIView(const UIView&) = delete;
    UIView& operator=(const UIView&) = delete;

    // Geometry.
    CGRect frame() const;
    void setFrame(const CGRect& frame);
    const CGRect& bounds() const { return m_bounds; }
    void setBounds(const CGRect& bounds);
    const CGPoint& center() const { return m_center; }
    void setCenter(const CGPoint& center);
    const CGAffineTransform& transform() const { return m_transform; }
    void setTransform(const CGAffineTransform& transform);

    // Hierarchy. Adding a view that already has a superview moves it; adding the view itself or one
    // of its ancestors is refused, since it would make the tree a cycle.
    UIView* superview() const { return m_superview; }
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return m_subviews; }
    void addSubview(const std::shared_ptr<UIView>& view);
    void insertSubviewAtIndex(const std::shared_ptr<UIView>& view, std::size_t index);
    void insertSubviewBelowSubview(const std::shared_ptr<UIView>& view, const UIView* sibling);
    void insertSubviewAboveSubview(const std::shared_ptr<UIView>& view, const UIView* sibling);
    void removeFromSuperview();
    void bringSubviewToFront(const UIView* view);
    void sendSubviewToBack(const UIView* view);
    bool isDescendantOfView(const UIView* view) const;
    // The receiver or its first descendant, depth first, with the tag.
    std::shared_ptr<UIView> viewWithTag(int tag);
    // The window at the root of the tree, if the root is one.
    UIWindow* window() const;

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // Appearance.
    CGFloat alpha() const { return m_alpha; }
    void setAlpha(CGFloat alpha);
    bool isHidden() const { return m_hidden; }
    virtual void setHidden(bool hidden);
    const UIColorPtr& backgroundColor() const { return m_backgroundColor; }
    virtual void setBackgroundColor(const UIColorPtr& color);
    bool clipsToBounds() const { return m_layer.masksToBounds; }
    void setClipsToBounds(bool clips) { m_layer.masksToBounds = clips; }
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; }
    UIViewContentMode contentMode() const { return m_contentMode; }
    void setContentMode(UIViewContentMode mode);
    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    CALayer& layer() { return m_layer; }
    const CALayer& layer() const { return m_layer; }

    // Autoresizing of subviews when this view's size changes.
    unsigned autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(unsigned mask) { m_autoresizingMask = mask; }
    bool autoresizesSubviews() const { return m_autoresizesSubviews; }
    void setAutoresizesSubviews(bool autoresizes) { m_autoresizesSubviews = autoresizes; }

    // Layout.
    void setNeedsLayout() { m_needsLayout = true; }
    bool needsLayout() const { return m_needsLayout; }
    // Lays out this view if it asked to be, then its subviews, depth first.
    void layoutIfNeeded();
    virtual void layoutSubviews() {}
    virtual CGSize sizeThatFits(CGSize size) const;
    void sizeToFit();

    // Drawing. Asking for a redraw also gives the view's content a new stamp, which tells a
    // screen drawn before from one drawn after.
    void setNeedsDisplay();
    bool needsDisplay() const { return m_needsDisplay; }
    void clearNeedsDisplay() { m_needsDisplay = false; }
    // Draws the view's own content into the current graphics context, in bounds coordinates.
    virtual void drawRect(const CGRect& rect);
    // Adds what drawRect draws to the fingerprint: by default the content's stamp. A class whose
    // drawing reads values that change without setNeedsDisplay adds those values.
    virtual void addDrawnContent(ViewFingerprint& fingerprint) const;

    // Coordinate conversion. A null view stands for the window (the root of this tree);
    // views of different trees meet in the space that their roots' frames are given in.
    CGPoint convertPointToView(CGPoint point, const UIView* view) const;
    CGPoint convertPointFromView(CGPoint point, const UIView* view) const;
    CGRect convertRectToView(const CGRect& rect, const UIView* view) const;
    CGRect convertRectFromView(const CGRect& rect, const UIView* view) const;

    // Touch targeting: the deepest visible, interactive view under the point (in this view's space).
    virtual bool pointInside(CGPoint point) const;
    virtual std::shared_ptr<UIView> hitTest(CGPoint point);

    // Gesture recognisers, owned by the view. Adding one that belongs to another view moves it.
    void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    void removeGestureRecognizer(const UIGestureRecognizer* recognizer);
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const;

    // Motion effects, kept in the order added; adding one that is there already adds nothing.
    void addMotionEffect(const UIMotionEffectPtr& effect);
    const std::vector<UIMotionEffectPtr>& motionEffects() const { return m_motionEffects; }

    // The controller whose view this is, if any.
    UIViewController* viewController() const { return m_viewController; }

    // Values that other code keeps with a view for as long as it lives, each under a key of its
    // own (the address of a static of that code). Main thread only.
    std::shared_ptr<void> associatedObject(const void* key) const;
    void setAssociatedObject(const void* key, std::shared_ptr<void> value);
    // The value of type T under the key, made on first use.
    template <class T>
    T& associatedObjectOfType(const void* key)
    {
        auto value = std::static_pointer_cast<T>(associatedObject(key));
        if (!value) {
            value = std::make_shared<T>();
            setAssociatedObject(key, value);
        }
        return *value;
    }

    // The first responder: the one view of a window that takes typed text. Becoming it makes the
    // window's current one resign first, and fails when that one refuses or the view is not on a
    // window. A view that has left its window is no longer its first responder.
    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool becomeFirstResponder();
    virtual bool resignFirstResponder();
    bool isFirstResponder() const;
    // Makes the first responder inside this view (the view itself included) resign; with force,
    // even when it would refuse. Returns whether no first responder is left inside.
    bool endEditing(bool force);

    // Hooks for subclasses.
    virtual void willMoveToSuperview(UIView*) {}
    virtual void didMoveToSuperview() {}
    virtual void didMoveToWindow() {}
    virtual void didAddSubview(UIView*) {}
    virtual void willRemoveSubview(UIView*) {}

    // View animations: the animation block's changes take effect at once, and the completion runs
    // later from the main run loop (after delay + duration on its clock), never inside this call.
    struct RunningAnimation {
        TimeInterval duration = 0;
        TimeInterval delay = 0;
        unsigned options = 0;
        TimeInterval startedAt = 0;
    };
    static void animateWithDuration(TimeInterval duration, TimeInterval delay, unsigned options,
                                    const std::function<void()>& animations,
                                    std::function<void(bool finished)> completion = {});
    static void animateWithDuration(TimeInterval duration, const std::function<void()>& animations,
                                    std::function<void(bool finished)> completion = {});
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();
    static void performWithoutAnimation(const std::function<void()>& actions);
    // The animations whose completion has not yet run, oldest first.
    static std::vector<RunningAnimation> runningAnimations();
    static void resetAnimations();

protected:
    // A redraw for a change that the fingerprint shows by value, so the stamp stays: setting a
    // value and setting it back leaves the fingerprint as it was.
    void setNeedsDisplayKeepingStamp() { m_needsDisplay = true; }
    // Called when the bounds size changed, before the subviews are autoresized.
    virtual void boundsSizeDidChange(CGSize) {}
    // endEditing with force: a resignation that no delegate may refuse.
    virtual bool forceResignFirstResponder() { return resignFirstResponder(); }

private:
    friend class UIViewController;
    void attach(const std::shared_ptr<UIView>& view, std::size_t index);
    void detachFromSuperview();
    void autoresizeSubviews(CGSize oldSize);
    void notifyMovedToWindow();
    CGPoint pointToSuperview(CGPoint point) const;
    CGPoint pointFromSuperview(CGPoint point) const;
    const UIView* root() const;
    CGPoint pointToRootSpace(CGPoint point) const;
    CGPoint pointFromRootSpace(CGPoint point) const;

    CGPoint m_center;
    CGRect m_bounds;
    CGAffineTransform m_transform;
    UIView* m_superview = nullptr;
    std::vector<std::shared_ptr<UIView>> m_subviews;
    UIViewController* m_viewController = nullptr;
    int m_tag = 0;
    CGFloat m_alpha = 1;
    bool m_hidden = false;
    UIColorPtr m_backgroundColor;
    bool m_opaque = true;
    UIViewContentMode m_contentMode = UIViewContentMode::ScaleToFill;
    bool m_userInteractionEnabled = true;
    unsigned m_autoresizingMask = UIViewAutoresizingNone;
    bool m_autoresizesSubviews = true;
    bool m_needsLayout = true;
    bool m_needsDisplay = true;
    std::uint64_t m_contentStamp = 0;
    CALayer m_layer;
    GestureRecognizerList m_gestureRecognizers;
    std::vector<UIMotionEffectPtr> m_motionEffects;
    std::map<const void*, std::shared_ptr<void>> m_associatedObjects;
};

using UIViewPtr = std::shared_ptr<UIView>;
