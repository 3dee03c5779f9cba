#pragma once

#include "platform/graphics/PictureHeader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

// The most a decode can hold while it runs, from what its header says, as the decode budget charges
// it: the picture it makes, and what its decoder keeps beside it. Each is the most the kind and the
// size allow, whatever the data then holds; the measured peaks of the largest pictures are in the
// README ("What a picture may cost").
namespace DecodeCost {
// A decoder's own state and the rows it works through, the zlib window, a CMYK row: under 2 MiB at
// the largest sizes, as measured.
inline constexpr std::size_t Working = std::size_t {4} << 20;
// The tables a lossless WebP decoder builds for one group of prefix codes, at the most: about 20 KiB
// under the largest colour cache (11 bits, a green alphabet of 2,328 symbols). Measured, a group
// whose every green code is complete over those symbols took some 15 KB.
inline constexpr std::size_t WebpGroupTables = 20 * 1024;
// The most groups a lossless WebP names: its entropy image gives each pixel's block a group in 16
// bits, and a block is at least 4 x 4.
inline constexpr std::int64_t WebpMaxGroups = 65536;

inline std::size_t pixelBytes(std::int64_t width, std::int64_t height)
{
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

// The surface the rows go into, a row at a time.
inline std::size_t png(std::int64_t width, std::int64_t height)
{
    return pixelBytes(width, height) + Working;
}

// The surface, and for a progressive picture every coefficient of every component (given).
inline std::size_t jpeg(std::int64_t width, std::int64_t height, std::size_t coefficientBytes)
{
    return pixelBytes(width, height) + coefficientBytes + Working;
}

// Every frame kept (header.decodedBytes), the canvas they are drawn on and the area a frame disposed
// of as "restore previous" saves, each of the screen's size.
inline std::size_t gif(const PictureHeader& header)
{
    return header.decodedBytes() + 2 * pixelBytes(header.width, header.height) + Working;
}

// A lossy WebP is decoded a few rows at a time into the surface. A lossless one, and the alpha of a
// lossy one (stored lossless), are decoded whole into the decoder's own copy first, with tables for
// every group of prefix codes, as many as there can be blocks; the alpha plane takes a byte more a
// pixel.
inline std::size_t webp(std::int64_t width, std::int64_t height, bool lossless, bool alpha)
{
    const std::size_t surface = pixelBytes(width, height) + Working;
    if (!lossless && !alpha)
        return surface;
    const std::int64_t groups = std::min(WebpMaxGroups, ((width + 3) / 4) * ((height + 3) / 4));
    const std::size_t alphaPlane = lossless ? 0 : static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return surface + pixelBytes(width, height) + static_cast<std::size_t>(groups) * WebpGroupTables + alphaPlane;
}
} // namespace DecodeCost
