#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIImage.h"

#include <ZXing/ImageView.h>

#include <cstdint>
#include <vector>

// One byte of brightness per pixel, what the code reader reads. Transparent pixels count as
// white: a code drawn on a transparent background reads as dark on light, as it looks on screen.
class LuminanceImage {
public:
    // The part of the picture inside crop (pixels; the whole picture when crop is null),
    // intersected with the picture. Empty when nothing is left.
    static LuminanceImage fromImage(const UIImage& image, const CGRect* crop = nullptr);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool empty() const { return m_width <= 0 || m_height <= 0; }
    const std::vector<std::uint8_t>& pixels() const { return m_pixels; }
    ZXing::ImageView view() const;
    // Dark for light, for codes printed light on dark.
    void invert();
    // The brightness as an opaque grey picture.
    UIImagePtr toImage() const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_pixels;
};
