#pragma once

#include <string>
#include <string_view>

// Conversions between UTF-8 text and code points. Malformed input never stops a conversion:
// every byte that does not start a well-formed sequence becomes U+FFFD, and so do surrogates
// and values above U+10FFFF.
namespace Utf8 {
inline constexpr char32_t ReplacementCharacter = 0xFFFD;
std::u32string decode(std::string_view text);
std::string encode(std::u32string_view codePoints);
} // namespace Utf8
