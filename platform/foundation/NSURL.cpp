#include "platform/foundation/NSURL.h"

#include <cctype>

NSURL::NSURL(std::string text)
    : m_text(std::move(text))
{
}

std::optional<NSURL> NSURL::URLWithString(const std::string& text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    for (std::size_t i = 0; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return std::nullopt;
    }
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c == 0x7F)
            return std::nullopt;
    }
    return NSURL(text);
}
