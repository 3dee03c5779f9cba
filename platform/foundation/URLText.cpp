#include "platform/foundation/URLText.h"

#include <cctype>
#include <cstring>

namespace {

bool isHex(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool mayStandInURL(char c)
{
    if (std::isalnum(static_cast<unsigned char>(c)))
        return true;
    return c != '\0' && std::strchr("-._~:/?#[]@!$&'()*+,;=%", c) != nullptr;
}

} // namespace

std::optional<std::string> URLWithString(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    bool fragment = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!mayStandInURL(c))
            return std::nullopt;
        if (c == '%' && (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])))
            return std::nullopt;
        if (c == '#') {
            if (fragment)
                return std::nullopt;
            fragment = true;
        }
    }
    return std::string(text);
}
