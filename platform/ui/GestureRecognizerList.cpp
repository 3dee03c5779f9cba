#include "platform/ui/GestureRecognizerList.h"

#include "platform/ui/UIGestureRecognizer.h"
#include "platform/ui/UIView.h"

#include <algorithm>

GestureRecognizerList::~GestureRecognizerList()
{
    for (const auto& recognizer : m_items)
        recognizer->m_view = nullptr;
}

void GestureRecognizerList::add(UIView& owner, const std::shared_ptr<UIGestureRecognizer>& recognizer)
{
    if (!recognizer || recognizer->m_view == &owner)
        return;
    if (recognizer->m_view)
        recognizer->m_view->removeGestureRecognizer(recognizer.get());
    m_items.push_back(recognizer);
    recognizer->m_view = &owner;
}

void GestureRecognizerList::remove(const UIGestureRecognizer* recognizer)
{
    const auto it = std::find_if(m_items.begin(), m_items.end(), [&](const auto& r) { return r.get() == recognizer; });
    if (it == m_items.end())
        return;
    const std::shared_ptr<UIGestureRecognizer> keep = *it;
    m_items.erase(it);
    // A gesture in progress ends with its view.
    if (keep->m_state == UIGestureRecognizerState::Began || keep->m_state == UIGestureRecognizerState::Changed)
        keep->transition(UIGestureRecognizerState::Cancelled);
    keep->m_view = nullptr;
}
