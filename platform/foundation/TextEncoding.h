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
// Bytes whose character set nothing declares, as text: UTF-8 when they are valid UTF-8, else
// GB18030 (the venue's own), else Latin-1, which takes any bytes. Never cut short.
std::string fromUndeclared(std::string_view bytes);
} // namespace TextEncoding
