#include "kit/grid/GestureRecognizerAdditions.h"

namespace GestureRecognizerAdditions {

void end(UIGestureRecognizer& recognizer)
{
    // Disabling is the platform's way to cancel a gesture; the setting itself goes back as it was.
    const bool enabled = recognizer.isEnabled();
    recognizer.setEnabled(false);
    recognizer.setEnabled(enabled);
}

bool hasRecognizedValidGesture(const UIGestureRecognizer& recognizer)
{
    return recognizer.state() == UIGestureRecognizerState::Began
        || recognizer.state() == UIGestureRecognizerState::Changed;
}

} // namespace GestureRecognizerAdditions
