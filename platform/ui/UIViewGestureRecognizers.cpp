// The gesture-recogniser part of UIView.
#include "platform/ui/UIGestureRecognizer.h"
#include "platform/ui/UIView.h"

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer)
{
    m_gestureRecognizers.add(*this, recognizer);
}

void UIView::removeGestureRecognizer(const UIGestureRecognizer* recognizer)
{
    m_gestureRecognizers.remove(recognizer);
}

const std::vector<std::shared_ptr<UIGestureRecognizer>>& UIView::gestureRecognizers() const
{
    return m_gestureRecognizers.items();
}
