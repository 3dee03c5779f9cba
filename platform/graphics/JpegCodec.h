#pragma once

#include "platform/graphics/PictureHeader.h"
#include "platform/graphics/UIImage.h"

#include <optional>
#include <string>
#include <string_view>

class PictureProblem;

// JPEG through libjpeg-turbo: greyscale, YCbCr and RGB, and CMYK/YCCK turned into RGB (the
// inverted CMYK that Adobe applications write included). The size is checked from the header
// before any pixels are allocated, and a picture of more than MaxScans scans is refused as they
// come.
namespace JpegCodec {
// Each scan is a pass over every block of the picture: an ordinary progressive picture has about
// ten, and a file of thousands of empty ones would take minutes.
inline constexpr int MaxScans = 100;
// The start-of-image marker, FF D8.
bool hasSignature(std::string_view bytes);
// The size from the header (the frame's SOF marker), within PixelLimits; nothing, with why,
// otherwise.
std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem);
// Null for bytes that are not a whole JPEG (data that ends early is refused); with why (libjpeg's
// own words for damaged data) when given a problem.
UIImagePtr decode(std::string_view bytes, double scale);
UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem);
// The rows that have arrived, at the top of a picture of the full size; a progressive picture
// shows every row at the quality of the scans received.
UIImagePtr decodePartial(std::string_view bytes);
// Opaque JPEG of the stored pixels; quality 0 to 1. A progressive one arrives in several scans,
// each sharpening the whole picture.
std::optional<std::string> encode(const UIImage& image, double quality, bool progressive = false);
} // namespace JpegCodec
