#pragma once

#include "platform/graphics/PixelLimits.h"

#include <cstddef>
#include <cstdint>

// What a picture's header says, read without decoding a pixel: its size in pixels and, for an
// animation, how many frames there are (each becomes a picture of the whole size).
struct PictureHeader {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t frames = 1;

    // Memory the picture takes once decoded: four bytes a pixel and a fixed cost for every frame.
    std::size_t decodedBytes() const
    {
        return static_cast<std::size_t>(frames) * (static_cast<std::size_t>(width * height) * 4 + PixelLimits::FrameOverheadBytes);
    }
};
