#pragma once

#include "platform/ui/UIView.h"

#include <functional>
#include <string>

// What the grid and its cells ask of any view beyond the platform's own calls.
namespace ViewAdditions {

// The key of the wobble on a view's layer.
inline const std::string kShakeAnimationKey = "shakeAnimation";

// Starts (or, with false, stops) the view's wobble: a small rocking of its transform that runs
// until it is stopped. Starting twice leaves one wobble.
void shakeStatus(UIView& view, bool shaking);

// Calls the block for each subview at every depth, each before its own subviews. A block that
// sets stop ends the walk of that view's level only; the levels above go on.
using SubviewBlock = std::function<void(UIView& view, bool& stop)>;
void recursiveEnumerateSubviewsUsingBlock(UIView& view, const SubviewBlock& block);

} // namespace ViewAdditions
