#pragma once

#include "platform/graphics/UIImage.h"

#include <string_view>

// PNG through libpng, every colour type and interlacing, into premultiplied ARGB. The size is
// checked from the header before any pixels are allocated; data that ends early is refused.
namespace PngCodec {
bool hasSignature(std::string_view bytes);
UIImagePtr decode(std::string_view bytes, double scale);
} // namespace PngCodec
