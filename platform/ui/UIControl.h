#pragma once

#include "platform/ui/UIView.h"

#include <functional>
#include <vector>

class InterfaceRegistry;

enum UIControlEvents : unsigned {
    UIControlEventTouchDown = 1u << 0,
    UIControlEventTouchDownRepeat = 1u << 1,
    UIControlEventTouchDragInside = 1u << 2,
    UIControlEventTouchDragOutside = 1u << 3,
    UIControlEventTouchDragEnter = 1u << 4,
    UIControlEventTouchDragExit = 1u << 5,
    UIControlEventTouchUpInside = 1u << 6,
    UIControlEventTouchUpOutside = 1u << 7,
    UIControlEventTouchCancel = 1u << 8,
    UIControlEventValueChanged = 1u << 12,
    UIControlEventEditingDidBegin = 1u << 16,
    UIControlEventEditingChanged = 1u << 17,
    UIControlEventEditingDidEnd = 1u << 18,
    UIControlEventEditingDidEndOnExit = 1u << 19,
    UIControlEventAllTouchEvents = 0x00000FFFu,
    UIControlEventAllEditingEvents = 0x000F0000u,
    UIControlEventAllEvents = 0xFFFFFFFFu,
};

enum UIControlState : unsigned {
    UIControlStateNormal = 0,
    UIControlStateHighlighted = 1u << 0,
    UIControlStateDisabled = 1u << 1,
    UIControlStateSelected = 1u << 2,
};

enum class UIControlContentHorizontalAlignment : int { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class UIControlContentVerticalAlignment : int { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

// A view that turns touches into actions. Targets are kept by address only, to find their
// actions again for removal; the action functions are what is called.
class UIControl : public UIView {
public:
    // Makes the class known to interface files, with the properties they may set.
    static void registerInterfaceClass(InterfaceRegistry& r);
    using Action = std::function<void(UIControl& sender)>;

    static std::shared_ptr<UIControl> create(const CGRect& frame = CGRectZero);
    explicit UIControl(const CGRect& frame = CGRectZero);

    bool isEnabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted);
    unsigned state() const;

    UIControlContentHorizontalAlignment contentHorizontalAlignment() const { return m_horizontalAlignment; }
    void setContentHorizontalAlignment(UIControlContentHorizontalAlignment a);
    UIControlContentVerticalAlignment contentVerticalAlignment() const { return m_verticalAlignment; }
    void setContentVerticalAlignment(UIControlContentVerticalAlignment a);

    void addTarget(const void* target, Action action, unsigned events);
    // A null target removes the actions of every target for those events.
    void removeTarget(const void* target, unsigned events);
    unsigned allControlEvents() const;
    // Calls every action registered for any of the events, in the order they were added,
    // over a snapshot taken before the first call.
    void sendActionsForControlEvents(unsigned events);

    // A finger down and up inside: what a tap on screen delivers. Ignored while the control is
    // disabled, hidden or not interactive. Returns whether the tap was delivered.
    bool tap();

protected:
    // Whether a tap reaches the control at all, whichever kind of tap it is.
    bool acceptsTaps() const { return m_enabled && !isHidden() && isUserInteractionEnabled(); }

private:
    struct Registration {
        const void* target;
        std::shared_ptr<Action> action;
        unsigned events;
    };
    std::vector<Registration> m_actions;
    bool m_enabled = true;
    bool m_selected = false;
    bool m_highlighted = false;
    UIControlContentHorizontalAlignment m_horizontalAlignment = UIControlContentHorizontalAlignment::Center;
    UIControlContentVerticalAlignment m_verticalAlignment = UIControlContentVerticalAlignment::Center;
};

using UIControlPtr = std::shared_ptr<UIControl>;
