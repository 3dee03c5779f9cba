#include "platform/foundation/NumberValue.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

std::string_view skipSpace(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'
                               || text[i] == '\v' || text[i] == '\f'))
        ++i;
    return text.substr(i);
}

template<typename T>
T readInteger(std::string_view text)
{
    text = skipSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    T value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        const int digit = c - '0';
        if (!negative) {
            if (value > (std::numeric_limits<T>::max() - digit) / 10)
                return std::numeric_limits<T>::max();
            value = value * 10 + digit;
        } else {
            if (value < (std::numeric_limits<T>::min() + digit) / 10)
                return std::numeric_limits<T>::min();
            value = value * 10 - digit;
        }
    }
    return value;
}

} // namespace

int intValue(std::string_view text)
{
    return readInteger<int>(text);
}

std::int64_t integerValue(std::string_view text)
{
    return readInteger<std::int64_t>(text);
}

double doubleValue(std::string_view text)
{
    text = skipSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // Only plain decimal notation: no hexadecimal, infinities or NaN.
    if (text.empty() || !((text[0] >= '0' && text[0] <= '9') || text[0] == '.'))
        return 0;
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone out of range; strtod on the matched text says whether
        // it was too large (infinity) or too small (zero), whatever the notation.
        const std::string digits(text.data(), result.ptr);
        value = std::strtod(digits.c_str(), nullptr);
    } else if (result.ec != std::errc()) {
        return 0;
    }
    return negative ? -value : value;
}

float floatValue(std::string_view text)
{
    return static_cast<float>(doubleValue(text));
}

bool boolValue(std::string_view text)
{
    const auto trimmed = skipSpace(text);
    if (!trimmed.empty() && (trimmed[0] == 'Y' || trimmed[0] == 'y' || trimmed[0] == 'T' || trimmed[0] == 't'))
        return true;
    return integerValue(trimmed) != 0;
}
