#include "platform/foundation/NSURL.h"

#include <cctype>

NSURL::NSURL(std::string text, std::string scheme)
    : m_text(std::move(text))
    , m_scheme(std::move(scheme))
{
}

std::optional<NSURL> NSURL::URLWithString(const std::string& text)
{
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    std::string scheme;
    for (std::size_t i = 0; i < colon; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return std::nullopt;
        scheme += static_cast<char>(std::tolower(c));
    }
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c == 0x7F)
            return std::nullopt;
    }
    return NSURL(text, std::move(scheme));
}
