#include "kit/UICheckBoxGroup.h"

#include <algorithm>

std::shared_ptr<UICheckBoxGroup> UICheckBoxGroup::create(const CGRect& frame, std::vector<std::string> labels,
                                                         bool isRadio, int selectedPos)
{
    auto group = std::make_shared<UICheckBoxGroup>(frame);
    group->m_labels = std::move(labels);
    group->m_isRadio = isRadio;
    group->m_selectedPos = selectedPos;
    // The boxes take the group as their delegate, which needs the group to be owned already.
    group->buildBoxes();
    return group;
}

UICheckBoxGroup::UICheckBoxGroup(const CGRect& frame)
    : UIControl(frame)
{
}

void UICheckBoxGroup::buildBoxes()
{
    m_btns.clear();
    m_selectedAry.clear();
    const std::size_t n = m_labels.size();
    if (n == 0)
        return;
    const CGRect f = frame();
    const float boxWidth = static_cast<float>(f.size.width) / static_cast<float>(n);
    const float boxHeight = static_cast<float>(f.size.height);
    const auto self = std::static_pointer_cast<UICheckBoxGroup>(shared_from_this());
    for (std::size_t i = 0; i < n; ++i) {
        const float x = static_cast<float>(i) * boxWidth;
        auto box = UICheckBoxButton::create(CGRectMake(x, 0, boxWidth, boxHeight));
        box->label()->setText(m_labels[i]);
        box->setDelegate(std::static_pointer_cast<UICheckBoxButtonDelegater>(self));
        if (m_isRadio && m_selectedPos == static_cast<int>(i))
            box->setChecked(true);
        box->setCurPos(static_cast<int>(i));
        m_btns.push_back(box);
        addSubview(box);
    }
}

void UICheckBoxGroup::checkBoxButtonClick(int position, bool checked)
{
    if (position < 0 || position >= static_cast<int>(m_btns.size()))
        return;
    const auto keep = shared_from_this(); // a delegate may let the group go
    if (m_isRadio) {
        // Tapping the checked box asks to uncheck it, which a radio group never does.
        if (!checked)
            return;
        for (std::size_t i = 0; i < m_btns.size(); ++i)
            m_btns[i]->setChecked(static_cast<int>(i) == position);
        m_selectedPos = position;
        if (auto delegate = m_delegate.lock())
            delegate->radioResult(position);
        return;
    }
    m_btns[static_cast<std::size_t>(position)]->setChecked(checked);
    if (checked)
        m_selectedAry.push_back(position);
    else
        std::erase(m_selectedAry, position);
    if (auto delegate = m_delegate.lock())
        delegate->checkResult(m_selectedAry);
}
