#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

// Offscreen pictures are refused beyond these bounds rather than allocated: a picture asked for
// by a bad frame or a hostile file must not take the process down.
namespace PixelLimits {
inline constexpr std::int64_t MaxPixels = 64LL * 1024 * 1024;
// The drawing library's own limit on a side.
inline constexpr std::int64_t MaxSide = 32767;
// The largest picture file read, 528 MiB: a file beyond it holds no picture the decoders would
// take, so it is refused before it is read. The largest picture (MaxPixels) at the widest sample a
// decoder accepts (PNG's 16 bits for each of four channels: 8 bytes a pixel) stored without
// compression is 512 MiB; other formats stay below that (a JPEG of noise at full quality in CMYK
// takes some 6.3 bytes a pixel, a GIF's frames together are held to fewer pixels). 16 MiB more
// covers the framing (PNG's row filters, deflate's stored blocks and chunks of 8 KiB come to under
// 1 MiB) and the colour profile, EXIF and text a camera or an editor keeps beside the pixels.
inline constexpr std::size_t MaxFileBytes = static_cast<std::size_t>(MaxPixels) * 8 + std::size_t {16} * 1024 * 1024;

// What a decoded picture holds for each of its frames beside the pixels: the surface, the picture
// object around it and the allocator's bookkeeping, about 1 KiB as measured. Every budget and cache
// counts it, so a picture of many tiny frames costs what it holds.
inline constexpr std::size_t FrameOverheadBytes = 1024;

inline bool allows(double pixelWidth, double pixelHeight)
{
    if (!std::isfinite(pixelWidth) || !std::isfinite(pixelHeight) || pixelWidth < 1 || pixelHeight < 1)
        return false;
    if (pixelWidth > MaxSide || pixelHeight > MaxSide)
        return false;
    return pixelWidth * pixelHeight <= static_cast<double>(MaxPixels);
}
} // namespace PixelLimits
