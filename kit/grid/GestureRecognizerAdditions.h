#pragma once

#include "platform/ui/UIGestureRecognizer.h"

// What the grid asks of any recogniser beyond the platform's own calls.
namespace GestureRecognizerAdditions {

// Ends the gesture in progress without changing whether the recogniser is enabled.
void end(UIGestureRecognizer& recognizer);
// Whether the recogniser is in the middle of a gesture it recognised (began or changed).
bool hasRecognizedValidGesture(const UIGestureRecognizer& recognizer);

} // namespace GestureRecognizerAdditions
