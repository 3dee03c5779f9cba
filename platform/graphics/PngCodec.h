#pragma once

#include "platform/graphics/UIImage.h"

#include <optional>
#include <string>
#include <string_view>

// PNG through libpng: read in every colour type and interlacing into premultiplied ARGB, and
// written out again. The size is checked from the header before any pixels are allocated; data
// that ends early is refused.
namespace PngCodec {
bool hasSignature(std::string_view bytes);
UIImagePtr decode(std::string_view bytes, double scale);
// A picture's ARGB32 surface as PNG: RGB when every pixel is opaque, else RGBA without the
// premultiplication. Written for speed (a screen a second at most): files come out about as
// large as with the library's default settings, in a third of the time.
std::optional<std::string> encode(cairo_surface_t* surface);
} // namespace PngCodec
