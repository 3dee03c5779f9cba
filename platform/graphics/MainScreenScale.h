#pragma once

// Pixels per point of the main screen. Drawing that asks for "the screen's scale" (a scale of
// 0 for an image context) reads it here; the screen object sets it.
namespace MainScreenScale {
double get();
void set(double scale);
} // namespace MainScreenScale
