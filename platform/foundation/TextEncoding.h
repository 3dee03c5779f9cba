#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversions between the program's UTF-8 text and the GB18030 bytes of the venue protocol.
// A text that cannot be converted gives no result, never a partial one; invalid UTF-8 (a stray
// byte, an overlong form, a surrogate) cannot be converted.
namespace TextEncoding {
std::optional<std::string> toGB18030(std::string_view utf8);
std::optional<std::string> fromGB18030(std::string_view bytes);
// Converts onto the end of out, in one pass and without an intermediate copy. On failure out
// is left as it was.
bool appendGB18030(std::string& out, std::string_view utf8);
// Decodes into a scratch buffer that is reused from text to text: it grows as needed and is
// never shrunk, so a stream of short texts costs no allocation. The text is the view returned,
// valid until the buffer is next used.
std::optional<std::string_view> decodeGB18030Into(std::string& buffer, std::string_view bytes);
bool isValidUtf8(std::string_view text);
// Bytes whose character set nothing declares, as text: UTF-8 when they are valid UTF-8, else
// GB18030 (the venue's own), else Latin-1, which takes any bytes. Never cut short.
std::string fromUndeclared(std::string_view bytes);
} // namespace TextEncoding
