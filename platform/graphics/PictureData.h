#pragma once

#include "platform/graphics/PictureHeader.h"
#include "platform/graphics/PictureProblem.h"
#include "platform/graphics/UIImage.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The pictures the decoders take (JPEG, PNG, GIF, WebP): which decoder reads a run of bytes, and
// picture files read for them. UIImage's imageWithData and imageWithContentsOfFile come through
// here. Each says why when it gives nothing; a failed allocation anywhere in it is "not enough
// memory", never the end of the run.
namespace PictureData {
// What the header says, read without decoding a pixel and checked against the decoders' limits.
std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem);
UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem);
// The bytes of a picture file: a regular file of at most PixelLimits::MaxFileBytes (one larger is
// refused as it is opened, unread, and one that holds more than it said once a byte past that is in).
std::optional<std::string> read(const std::filesystem::path& path, PictureProblem& problem);
// A picture file read and decoded, at its scale.
UIImagePtr decodeFile(const std::filesystem::path& path, PictureProblem& problem);
// Pixels per point: a picture file named "x@2x.png" holds twice the pixels per point.
double scaleOf(const std::filesystem::path& path);
} // namespace PictureData
