#include "platform/foundation/TextEncoding.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One converter per thread and direction, reset before each use.
class Converter {
public:
    Converter(const char* to, const char* from)
        : m_cd(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::optional<std::string> convert(std::string_view input)
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            return std::nullopt;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.resize(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        std::size_t produced = 0;
        while (true) {
            char* outPtr = out.data() + produced;
            std::size_t outLeft = out.size() - produced;
            const std::size_t result = iconv(m_cd, inLeft ? &in : nullptr, &inLeft, &outPtr, &outLeft);
            produced = out.size() - outLeft;
            if (result != static_cast<std::size_t>(-1)) {
                if (inLeft == 0)
                    break;
                continue;
            }
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            return std::nullopt; // EILSEQ or EINVAL: not convertible, or cut inside a character
        }
        // Flush any shift state.
        char* outPtr = out.data() + produced;
        std::size_t outLeft = out.size() - produced;
        if (iconv(m_cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
            return std::nullopt;
        produced = out.size() - outLeft;
        out.resize(produced);
        return out;
    }

private:
    iconv_t m_cd;
};

} // namespace

std::optional<std::string> TextEncoding::toGB18030(std::string_view utf8)
{
    if (!isValidUtf8(utf8))
        return std::nullopt;
    thread_local Converter converter("GB18030", "UTF-8");
    return converter.convert(utf8);
}

std::optional<std::string> TextEncoding::fromGB18030(std::string_view bytes)
{
    thread_local Converter converter("UTF-8", "GB18030");
    return converter.convert(bytes);
}

std::string TextEncoding::fromUndeclared(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes);
    if (auto text = fromGB18030(bytes))
        return *std::move(text);
    thread_local Converter latin1("UTF-8", "ISO-8859-1");
    return latin1.convert(bytes).value_or(std::string());
}

bool TextEncoding::isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    while (i < n) {
        const unsigned char c = s[i];
        std::size_t length;
        char32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        const bool overlong = (length == 2 && cp < 0x80) || (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}
