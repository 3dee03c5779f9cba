#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A blur close to a Gaussian of the given standard deviation (three box passes each way),
// applied in place to an 8-bit coverage plane of width × height.
namespace ShadowBlur {
void blur(std::vector<std::uint8_t>& plane, int width, int height, double sigma);
// The same over rows that lie stride bytes apart (a drawing surface's own layout).
void blur(std::uint8_t* plane, int width, int height, std::ptrdiff_t stride, double sigma);
// How many pixels beyond a shape the blur can spread coverage.
int reach(double sigma);
} // namespace ShadowBlur
