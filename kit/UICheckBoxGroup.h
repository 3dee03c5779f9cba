#pragma once

#include "kit/CheckBoxGroupChangeDelegate.h"
#include "kit/UICheckBoxButton.h"
#include "platform/ui/UIControl.h"

#include <memory>
#include <string>
#include <vector>

// A row of labelled check boxes of equal width, run as a radio group (one box checked, reported
// by position) or as multiple choice (any boxes, reported as the list of checked positions).
// Labels, mode and the initially checked position are read once, when the boxes are built.
// The delegate is not owned.
class UICheckBoxGroup : public UIControl, public UICheckBoxButtonDelegater {
public:
    static std::shared_ptr<UICheckBoxGroup> create(const CGRect& frame, std::vector<std::string> labels, bool isRadio,
                                                   int selectedPos = 0);
    explicit UICheckBoxGroup(const CGRect& frame);

    const std::vector<UICheckBoxButtonPtr>& btns() const { return m_btns; }
    const std::vector<std::string>& labels() const { return m_labels; }
    void setLabels(std::vector<std::string> labels) { m_labels = std::move(labels); }
    bool isRadio() const { return m_isRadio; }
    void setIsRadio(bool radio) { m_isRadio = radio; }
    int selectedPos() const { return m_selectedPos; }
    void setSelectedPos(int position) { m_selectedPos = position; }
    const std::vector<int>& selectedAry() const { return m_selectedAry; }
    std::shared_ptr<CheckBoxGroupChangeDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<CheckBoxGroupChangeDelegate> delegate) { m_delegate = std::move(delegate); }

    void checkBoxButtonClick(int position, bool checked) override;

private:
    void buildBoxes();

    std::vector<UICheckBoxButtonPtr> m_btns;
    bool m_isRadio = false;
    int m_selectedPos = 0;
    std::vector<std::string> m_labels;
    std::vector<int> m_selectedAry;
    std::weak_ptr<CheckBoxGroupChangeDelegate> m_delegate;
};

using UICheckBoxGroupPtr = std::shared_ptr<UICheckBoxGroup>;
