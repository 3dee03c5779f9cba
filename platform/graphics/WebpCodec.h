#pragma once

#include "platform/graphics/UIImage.h"

#include <string_view>

// Still WebP pictures through libwebp, lossy or lossless, with or without alpha. The size is
// read from the header and checked before any pixels are allocated.
namespace WebpCodec {
// "RIFF", four length bytes, "WEBP".
bool hasSignature(std::string_view bytes);
UIImagePtr decode(std::string_view bytes, double scale);
} // namespace WebpCodec
