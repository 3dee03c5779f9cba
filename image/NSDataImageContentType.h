#pragma once

#include <optional>
#include <string>
#include <string_view>

// The picture format of some bytes, told by their first byte: "image/jpeg", "image/png",
// "image/gif", "image/tiff", "image/webp" (RIFF....WEBP), or nothing.
std::optional<std::string> img_contentTypeForImageData(std::string_view data);
// The older name of the same.
std::optional<std::string> contentTypeForImageData(std::string_view data);
