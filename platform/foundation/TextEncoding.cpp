#include "platform/foundation/TextEncoding.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One converter per thread and direction. Both encodings are stateless, so a converter needs
// neither a reset before a conversion nor a flush after one; only a failed conversion may
// leave part of a character behind, and it resets the converter.
class Converter {
public:
    // growth: how many output bytes to expect per input byte, so that one pass of iconv
    // normally suffices.
    Converter(const char* to, const char* from, double growth)
        : m_cd(iconv_open(to, from))
        , m_growth(growth)
    {
    }
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts input into buffer from offset `at` on, growing the buffer when it is too short
    // but never shrinking it (its bytes past the result are left as they are); returns where
    // the converted bytes end.
    std::optional<std::size_t> convert(std::string& buffer, std::size_t at, std::string_view input)
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            return std::nullopt;
        const auto wanted = at + static_cast<std::size_t>(static_cast<double>(input.size()) * m_growth) + 16;
        if (buffer.size() < wanted)
            buffer.resize(wanted);
        std::size_t produced = at;
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        while (inLeft > 0) {
            char* outPtr = buffer.data() + produced;
            std::size_t outLeft = buffer.size() - produced;
            const std::size_t result = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
            produced = buffer.size() - outLeft;
            if (result != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG) {
                buffer.resize(buffer.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL: not convertible, or cut inside a character.
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            return std::nullopt;
        }
        return produced;
    }

private:
    iconv_t m_cd;
    double m_growth;
};

} // namespace

bool TextEncoding::appendGB18030(std::string& out, std::string_view utf8)
{
    // ASCII keeps its size and Chinese shrinks; the two UTF-8 bytes of a Latin, Greek or
    // Cyrillic letter may become four, and then the output grows once.
    thread_local Converter converter("GB18030", "UTF-8", 1.0);
    const std::size_t start = out.size();
    const auto end = converter.convert(out, start, utf8);
    out.resize(end.value_or(start));
    return end.has_value();
}

std::optional<std::string_view> TextEncoding::decodeGB18030Into(std::string& buffer, std::string_view bytes)
{
    // Two GB18030 bytes become at most three UTF-8 bytes, four at most four.
    thread_local Converter converter("UTF-8", "GB18030", 1.5);
    const auto end = converter.convert(buffer, 0, bytes);
    if (!end)
        return std::nullopt;
    return std::string_view(buffer.data(), *end);
}

std::optional<std::string> TextEncoding::toGB18030(std::string_view utf8)
{
    std::string out;
    if (!appendGB18030(out, utf8))
        return std::nullopt;
    return out;
}

std::optional<std::string> TextEncoding::fromGB18030(std::string_view bytes)
{
    std::string out;
    const auto text = decodeGB18030Into(out, bytes);
    if (!text)
        return std::nullopt;
    out.resize(text->size());
    return out;
}

std::string TextEncoding::fromUndeclared(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes);
    if (auto text = fromGB18030(bytes))
        return *std::move(text);
    // A Latin-1 byte becomes at most two UTF-8 bytes.
    thread_local Converter latin1("UTF-8", "ISO-8859-1", 2.0);
    std::string text;
    text.resize(latin1.convert(text, 0, bytes).value_or(0));
    return text;
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
