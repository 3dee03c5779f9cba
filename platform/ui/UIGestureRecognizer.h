#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/ui/UIGestureRecognizerDelegate.h"
#include "platform/ui/UIGestureRecognizerState.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class UIView;

// Turns touches on a view into a gesture and tells its targets as the gesture goes on.
//
// Nothing here reads real touches: GestureDriver feeds a recogniser its touches and moves it from
// state to state, asking the same questions the platform asks (its delegate, the recognisers it
// must wait for, the others that are active at the time).
//
// A view owns the recognisers added to it (UIView::addGestureRecognizer); the recogniser knows
// its view by a plain pointer that the view clears when it lets the recogniser go.
class UIGestureRecognizer : public std::enable_shared_from_this<UIGestureRecognizer> {
public:
    using Action = std::function<void(UIGestureRecognizer&)>;

    UIGestureRecognizer() = default;
    virtual ~UIGestureRecognizer() = default;
    UIGestureRecognizer(const UIGestureRecognizer&) = delete;
    UIGestureRecognizer& operator=(const UIGestureRecognizer&) = delete;

    // Actions run, in the order added, when the gesture begins, changes, ends (or is recognised)
    // and is cancelled; never when it fails.
    void addTarget(const void* target, Action action);
    // Drops every action of the target.
    void removeTarget(const void* target);

    UIGestureRecognizerState state() const { return m_state; }
    bool isEnabled() const { return m_enabled; }
    // Disabling cancels a gesture in progress.
    void setEnabled(bool enabled);

    UIView* view() const { return m_view; }
    // Not owned: whoever sets a delegate clears it before the delegate goes away.
    UIGestureRecognizerDelegate* delegate() const { return m_delegate; }
    void setDelegate(UIGestureRecognizerDelegate* delegate) { m_delegate = delegate; }

    bool cancelsTouchesInView() const { return m_cancelsTouchesInView; }
    void setCancelsTouchesInView(bool cancels) { m_cancelsTouchesInView = cancels; }

    // This recogniser does not begin while the other would begin or is active. Held weakly.
    void requireGestureRecognizerToFail(const std::shared_ptr<UIGestureRecognizer>& other);
    std::vector<std::shared_ptr<UIGestureRecognizer>> requiredToFail() const;

    std::size_t numberOfTouches() const { return m_touches.size(); }
    // The centre of the touches in the view's space (a null view: the space the root view's
    // frame is given in, the screen for a window); the zero point without touches.
    CGPoint locationInView(const UIView* view) const;
    CGPoint locationOfTouch(std::size_t index, const UIView* view) const;

    // Whether the gesture can start with this many fingers.
    virtual bool acceptsNumberOfTouches(std::size_t count) const { return count > 0; }
    // A discrete gesture is recognised in one step instead of beginning and changing.
    virtual bool isDiscrete() const { return false; }
    virtual std::string className() const { return "UIGestureRecognizer"; }

protected:
    // Hooks for the kinds of gesture: the touches came down, or moved while the gesture runs.
    virtual void touchesDidBegin() {}
    virtual void touchesDidMove() {}
    // Back to the values of a fresh gesture, after it ended, was cancelled or failed.
    virtual void resetGesture() {}

    // Touches in the space of the root view's frame, and the conversions to and from it.
    const std::vector<CGPoint>& rootTouches() const { return m_touches; }
    CGPoint rootToView(CGPoint point, const UIView* view) const;
    CGPoint viewToRoot(CGPoint point, const UIView* view) const;

private:
    friend class GestureDriver;
    friend class GestureRecognizerList;

    struct Target {
        const void* target;
        std::shared_ptr<Action> action;
    };

    void setTouches(const std::vector<CGPoint>& touchesInView);
    // Sets the state, runs the actions it calls for and, after a final state, resets.
    void transition(UIGestureRecognizerState state);
    void sendActions();

    UIGestureRecognizerState m_state = UIGestureRecognizerState::Possible;
    bool m_enabled = true;
    bool m_cancelsTouchesInView = true;
    UIView* m_view = nullptr;
    UIGestureRecognizerDelegate* m_delegate = nullptr;
    std::vector<Target> m_targets;
    std::vector<std::weak_ptr<UIGestureRecognizer>> m_requiredToFail;
    std::vector<CGPoint> m_touches;
    int m_transitionDepth = 0;
};

using UIGestureRecognizerPtr = std::shared_ptr<UIGestureRecognizer>;
