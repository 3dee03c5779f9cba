#pragma once

#include "kit/UICheckBoxButtonDelegater.h"
#include "platform/ui/UIControl.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"

#include <memory>

// One check box with its caption: a square picture on the left ("Selected.png" or
// "Unselected.png") and a label. A tap does not change the box: it tells the delegate its
// position and the state the tap asks for, and the delegate sets the state.
//
// The delegate is not owned (the box's owner is usually its delegate, and owning each other
// they would never be released).
class UICheckBoxButton : public UIControl {
public:
    static std::shared_ptr<UICheckBoxButton> create(const CGRect& frame);
    explicit UICheckBoxButton(const CGRect& frame);

    bool isChecked() const { return m_checked; }
    // Stores the state, then shows its picture again in every case.
    void setChecked(bool checked);
    int curPos() const { return m_curPos; }
    void setCurPos(int position) { m_curPos = position; }

    const UILabelPtr& label() const { return m_label; }
    void setLabel(UILabelPtr label) { m_label = std::move(label); }
    const UIImageViewPtr& icon() const { return m_icon; }
    void setIcon(UIImageViewPtr icon) { m_icon = std::move(icon); }
    std::shared_ptr<UICheckBoxButtonDelegater> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<UICheckBoxButtonDelegater> delegate) { m_delegate = std::move(delegate); }

    // The touch-up-inside handler.
    void clicked();

private:
    bool m_checked = false;
    int m_curPos = 0;
    UILabelPtr m_label;
    UIImageViewPtr m_icon;
    std::weak_ptr<UICheckBoxButtonDelegater> m_delegate;
};

using UICheckBoxButtonPtr = std::shared_ptr<UICheckBoxButton>;
