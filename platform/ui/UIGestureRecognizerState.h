#pragma once

// Where a recogniser is in its gesture. A discrete gesture (a tap) goes from possible straight to
// recognized; a continuous one begins, changes and ends or is cancelled.
enum class UIGestureRecognizerState : int {
    Possible = 0,
    Began = 1,
    Changed = 2,
    Ended = 3,
    Cancelled = 4,
    Failed = 5,
    Recognized = Ended,
};
