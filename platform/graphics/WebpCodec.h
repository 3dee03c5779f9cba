#pragma once

#include "platform/graphics/PictureHeader.h"
#include "platform/graphics/UIImage.h"

#include <optional>
#include <string_view>

class PictureProblem;

// Still WebP pictures through libwebp, lossy or lossless, with or without alpha. The size is
// read from the header and checked before any pixels are allocated.
namespace WebpCodec {
// "RIFF", four length bytes, "WEBP".
bool hasSignature(std::string_view bytes);
// The size from the header, within PixelLimits and of a still picture; nothing, with why, otherwise.
std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem);
UIImagePtr decode(std::string_view bytes, double scale);
// Null, with why, when no picture could be made.
UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem);
} // namespace WebpCodec
