#include "platform/ui/UIControl.h"

#include "platform/ui/InterfaceProperty.h"

#include <algorithm>

std::shared_ptr<UIControl> UIControl::create(const CGRect& frame)
{
    return std::make_shared<UIControl>(frame);
}

UIControl::UIControl(const CGRect& frame)
    : UIView(frame)
{
}

void UIControl::setEnabled(bool enabled)
{
    m_enabled = enabled;
    setNeedsDisplay();
}

void UIControl::setSelected(bool selected)
{
    m_selected = selected;
    setNeedsDisplay();
}

void UIControl::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    setNeedsDisplay();
}

unsigned UIControl::state() const
{
    unsigned s = UIControlStateNormal;
    if (m_highlighted)
        s |= UIControlStateHighlighted;
    if (!m_enabled)
        s |= UIControlStateDisabled;
    if (m_selected)
        s |= UIControlStateSelected;
    return s;
}

void UIControl::setContentHorizontalAlignment(UIControlContentHorizontalAlignment a)
{
    m_horizontalAlignment = a;
    setNeedsLayout();
}

void UIControl::setContentVerticalAlignment(UIControlContentVerticalAlignment a)
{
    m_verticalAlignment = a;
    setNeedsLayout();
}

void UIControl::addTarget(const void* target, Action action, unsigned events)
{
    if (!action || events == 0)
        return;
    m_actions.push_back({target, std::make_shared<Action>(std::move(action)), events});
}

void UIControl::removeTarget(const void* target, unsigned events)
{
    for (auto& r : m_actions) {
        if (!target || r.target == target)
            r.events &= ~events;
    }
    std::erase_if(m_actions, [](const Registration& r) { return r.events == 0; });
}

unsigned UIControl::allControlEvents() const
{
    unsigned all = 0;
    for (const auto& r : m_actions)
        all |= r.events;
    return all;
}

void UIControl::sendActionsForControlEvents(unsigned events)
{
    // The sender stays alive while its actions run, even if one of them removes it.
    std::shared_ptr<UIView> keep = weak_from_this().lock();
    std::vector<std::shared_ptr<Action>> due;
    for (const auto& r : m_actions) {
        if (r.events & events)
            due.push_back(r.action);
    }
    for (const auto& action : due)
        (*action)(*this);
}

bool UIControl::tap()
{
    if (!acceptsTaps())
        return false;
    std::shared_ptr<UIView> keep = weak_from_this().lock();
    setHighlighted(true);
    sendActionsForControlEvents(UIControlEventTouchDown);
    setHighlighted(false);
    sendActionsForControlEvents(UIControlEventTouchUpInside);
    return true;
}

void UIControl::registerInterfaceClass(InterfaceRegistry& r)
{
    using namespace InterfaceProperty;
    r.registerViewClass<UIControl>("UIControl", "UIView")
        .property("enabled", prop<UIControl>(asFlag, [](UIControl& c, bool e) { c.setEnabled(e); }))
        .property("selected", prop<UIControl>(asFlag, [](UIControl& c, bool s) { c.setSelected(s); }));
}
