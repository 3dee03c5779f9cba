#pragma once

#include "platform/graphics/PictureHeader.h"
#include "platform/graphics/UIImage.h"

#include <optional>
#include <string>
#include <string_view>

class PictureProblem;

// PNG through libpng: read in every colour type and interlacing into premultiplied ARGB, and
// written out again. The size is checked from the header before any pixels are allocated; data
// that ends early is refused.
namespace PngCodec {
bool hasSignature(std::string_view bytes);
// The size from the header (IHDR), within PixelLimits; nothing, with why, otherwise.
std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem);
UIImagePtr decode(std::string_view bytes, double scale);
// Null, with why (libpng's own words for damaged data), when no picture could be made.
UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem);
// A picture's ARGB32 surface as PNG: RGB when every pixel is opaque, else RGBA without the
// premultiplication. Written for speed (a screen a second at most): files come out about as
// large as with the library's default settings, in a third of the time.
std::optional<std::string> encode(cairo_surface_t* surface);
} // namespace PngCodec
