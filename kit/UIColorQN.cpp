#include "kit/UIColorQN.h"

#include "platform/graphics/Utf8.h"

namespace {
bool isScannerSpace(char32_t c)
{
    return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == 0x0B || c == 0x0C || c == 0x85 || c == 0xA0
        || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x3000;
}

int hexDigit(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f')
        return static_cast<int>(c - U'a') + 10;
    if (c >= U'A' && c <= U'F')
        return static_cast<int>(c - U'A') + 10;
    return -1;
}

// One pair read as the platform's scanner reads a hexadecimal number; only the characters that
// exist are looked at.
unsigned readPair(const std::u32string& chars, std::size_t start)
{
    std::size_t i = start;
    const std::size_t end = std::min(chars.size(), start + 2);
    while (i < end && isScannerSpace(chars[i]))
        ++i;
    unsigned value = 0;
    for (; i < end; ++i) {
        const int digit = hexDigit(chars[i]);
        if (digit < 0)
            break;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
}
} // namespace

UIColorPtr UIColorQN::getColor(std::string_view text)
{
    const std::u32string chars = Utf8::decode(text);
    const auto component = [&](std::size_t start) { return static_cast<float>(readPair(chars, start)) / 255.0; };
    return UIColor::colorWithRed(component(0), component(2), component(4), 1.0);
}
