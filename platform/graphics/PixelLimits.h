#pragma once

#include <cmath>
#include <cstdint>

// Offscreen pictures are refused beyond these bounds rather than allocated: a picture asked for
// by a bad frame or a hostile file must not take the process down.
namespace PixelLimits {
inline constexpr std::int64_t MaxPixels = 64LL * 1024 * 1024;
// The drawing library's own limit on a side.
inline constexpr std::int64_t MaxSide = 32767;

inline bool allows(double pixelWidth, double pixelHeight)
{
    if (!std::isfinite(pixelWidth) || !std::isfinite(pixelHeight) || pixelWidth < 1 || pixelHeight < 1)
        return false;
    if (pixelWidth > MaxSide || pixelHeight > MaxSide)
        return false;
    return pixelWidth * pixelHeight <= static_cast<double>(MaxPixels);
}
} // namespace PixelLimits
