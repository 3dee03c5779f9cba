#include "platform/graphics/Utf8.h"

namespace Utf8 {

std::u32string decode(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char lead = bytes[i];
        std::size_t length = 0;
        char32_t value = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            value = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            value = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            value = lead & 0x07;
            minimum = 0x10000;
        } else {
            out.push_back(ReplacementCharacter);
            ++i;
            continue;
        }
        bool ok = i + length <= n;
        for (std::size_t k = 1; ok && k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                value = (value << 6) | (bytes[i + k] & 0x3F);
        }
        if (!ok || value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            out.push_back(ReplacementCharacter);
            ++i; // resynchronise on the next byte
            continue;
        }
        out.push_back(value);
        i += length;
    }
    return out;
}

std::string encode(std::u32string_view codePoints)
{
    std::string out;
    out.reserve(codePoints.size());
    for (char32_t c : codePoints) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = ReplacementCharacter;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

} // namespace Utf8
