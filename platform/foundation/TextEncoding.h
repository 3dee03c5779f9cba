#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversions between the program's UTF-8 text and the GB18030 bytes of the venue protocol.
// A text that cannot be converted gives no result, never a partial one.
namespace TextEncoding {
std::optional<std::string> toGB18030(std::string_view utf8);
std::optional<std::string> fromGB18030(std::string_view bytes);
bool isValidUtf8(std::string_view text);
} // namespace TextEncoding
