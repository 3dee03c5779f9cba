#include "platform/ui/GestureDriver.h"

#include "platform/ui/UIView.h"

#include <algorithm>

bool GestureDriver::isActive(const UIGestureRecognizer& recognizer)
{
    return recognizer.state() == UIGestureRecognizerState::Began || recognizer.state() == UIGestureRecognizerState::Changed;
}

bool GestureDriver::mayRunBeside(UIGestureRecognizer& recognizer, UIGestureRecognizer& other)
{
    if (auto* delegate = recognizer.delegate();
        delegate && delegate->gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(recognizer, other))
        return true;
    if (auto* delegate = other.delegate();
        delegate && delegate->gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(other, recognizer))
        return true;
    return false;
}

void GestureDriver::activeRecognizersInTree(const UIView& view, const UIGestureRecognizer& except,
                                            std::vector<std::shared_ptr<UIGestureRecognizer>>& out)
{
    for (const auto& recognizer : view.gestureRecognizers()) {
        if (recognizer.get() != &except && isActive(*recognizer))
            out.push_back(recognizer);
    }
    for (const auto& subview : view.subviews())
        activeRecognizersInTree(*subview, except, out);
}

bool GestureDriver::wouldBegin(UIGestureRecognizer& recognizer, const std::vector<CGPoint>& touches)
{
    if (recognizer.state() != UIGestureRecognizerState::Possible)
        return false;
    // The gate may read the touches, so the recogniser holds them while it is asked.
    recognizer.setTouches(touches);
    std::vector<const UIGestureRecognizer*> asked;
    const bool begins = wouldBeginWithRootTouches(recognizer, asked);
    recognizer.m_touches.clear();
    return begins;
}

bool GestureDriver::wouldBeginWithRootTouches(UIGestureRecognizer& recognizer,
                                              std::vector<const UIGestureRecognizer*>& asked)
{
    if (std::find(asked.begin(), asked.end(), &recognizer) != asked.end())
        return false;
    asked.push_back(&recognizer);
    if (!recognizer.isEnabled() || !recognizer.view() || recognizer.state() != UIGestureRecognizerState::Possible
        || !recognizer.acceptsNumberOfTouches(recognizer.m_touches.size()))
        return false;
    for (const auto& other : recognizer.requiredToFail()) {
        if (isActive(*other))
            return false;
        if (other->state() != UIGestureRecognizerState::Possible
            || std::find(asked.begin(), asked.end(), other.get()) != asked.end())
            continue;
        // The other recogniser sees the same fingers while it decides.
        other->m_touches = recognizer.m_touches;
        const bool otherBegins = wouldBeginWithRootTouches(*other, asked);
        other->m_touches.clear();
        if (otherBegins)
            return false;
    }
    if (auto* delegate = recognizer.delegate(); delegate && !delegate->gestureRecognizerShouldBegin(recognizer))
        return false;
    const UIView* root = recognizer.view();
    while (root->superview())
        root = root->superview();
    std::vector<std::shared_ptr<UIGestureRecognizer>> active;
    activeRecognizersInTree(*root, recognizer, active);
    for (const auto& other : active) {
        if (!mayRunBeside(recognizer, *other))
            return false;
    }
    return true;
}

bool GestureDriver::begin(UIGestureRecognizer& recognizer, const std::vector<CGPoint>& touches)
{
    if (recognizer.isDiscrete() || recognizer.state() != UIGestureRecognizerState::Possible)
        return false;
    // The delegate's gate may read the touches, as it does on the platform.
    recognizer.setTouches(touches);
    std::vector<const UIGestureRecognizer*> asked;
    if (!wouldBeginWithRootTouches(recognizer, asked)) {
        recognizer.transition(UIGestureRecognizerState::Failed);
        return false;
    }
    recognizer.touchesDidBegin();
    recognizer.transition(UIGestureRecognizerState::Began);
    return true;
}

bool GestureDriver::advance(UIGestureRecognizer& recognizer, UIGestureRecognizerState to,
                            const std::vector<CGPoint>* touches)
{
    if (!isActive(recognizer))
        return false;
    if (touches) {
        recognizer.setTouches(*touches);
        recognizer.touchesDidMove();
    }
    recognizer.transition(to);
    return true;
}

bool GestureDriver::change(UIGestureRecognizer& recognizer, const std::vector<CGPoint>& touches)
{
    return advance(recognizer, UIGestureRecognizerState::Changed, &touches);
}

bool GestureDriver::change(UIGestureRecognizer& recognizer)
{
    return advance(recognizer, UIGestureRecognizerState::Changed, nullptr);
}

bool GestureDriver::end(UIGestureRecognizer& recognizer)
{
    return advance(recognizer, UIGestureRecognizerState::Ended, nullptr);
}

bool GestureDriver::end(UIGestureRecognizer& recognizer, const std::vector<CGPoint>& touches)
{
    return advance(recognizer, UIGestureRecognizerState::Ended, &touches);
}

bool GestureDriver::cancel(UIGestureRecognizer& recognizer)
{
    return advance(recognizer, UIGestureRecognizerState::Cancelled, nullptr);
}

bool GestureDriver::recognize(UIGestureRecognizer& recognizer, const std::vector<CGPoint>& touches)
{
    if (!recognizer.isDiscrete() || recognizer.state() != UIGestureRecognizerState::Possible)
        return false;
    recognizer.setTouches(touches);
    std::vector<const UIGestureRecognizer*> asked;
    if (!wouldBeginWithRootTouches(recognizer, asked)) {
        recognizer.transition(UIGestureRecognizerState::Failed);
        return false;
    }
    recognizer.transition(UIGestureRecognizerState::Recognized);
    return true;
}
