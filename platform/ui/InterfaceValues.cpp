#include "platform/ui/InterfaceValues.h"

#include <nlohmann/json.hpp>

#include <cmath>

using nlohmann::json;

namespace InterfaceValues {

namespace {
std::optional<double> unitPart(const json& object, const char* key, double fallback)
{
    auto it = object.find(key);
    if (it == object.end())
        return fallback;
    auto v = number(*it);
    if (!v || *v < 0 || *v > 1)
        return std::nullopt;
    return v;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

UIColorPtr color(const json& value)
{
    if (value.is_string()) {
        const std::string s = value.get<std::string>();
        static const std::map<std::string, UIColorPtr (*)()> named {
            {"black", UIColor::blackColor},     {"darkGray", UIColor::darkGrayColor}, {"gray", UIColor::grayColor},
            {"lightGray", UIColor::lightGrayColor}, {"white", UIColor::whiteColor}, {"clear", UIColor::clearColor},
            {"red", UIColor::redColor},         {"green", UIColor::greenColor},       {"blue", UIColor::blueColor},
            {"cyan", UIColor::cyanColor},       {"yellow", UIColor::yellowColor},     {"magenta", UIColor::magentaColor},
            {"orange", UIColor::orangeColor},   {"purple", UIColor::purpleColor},     {"brown", UIColor::brownColor},
        };
        if (auto it = named.find(s); it != named.end())
            return it->second();
        if (s.size() != 7 && s.size() != 9)
            return nullptr;
        if (s[0] != '#')
            return nullptr;
        double parts[4] = {0, 0, 0, 1};
        for (std::size_t i = 0; i + 1 < s.size(); i += 2) {
            const int hi = hexDigit(s[i + 1]), lo = hexDigit(s[i + 2]);
            if (hi < 0 || lo < 0)
                return nullptr;
            parts[i / 2] = (hi * 16 + lo) / 255.0;
        }
        return UIColor::colorWithRed(parts[0], parts[1], parts[2], parts[3]);
    }
    if (!value.is_object())
        return nullptr;
    const auto alpha = unitPart(value, "alpha", 1);
    if (!alpha)
        return nullptr;
    if (value.contains("white")) {
        const auto white = unitPart(value, "white", 0);
        return white ? UIColor::colorWithWhite(*white, *alpha) : nullptr;
    }
    const auto r = unitPart(value, "red", 0), g = unitPart(value, "green", 0), b = unitPart(value, "blue", 0);
    if (!r || !g || !b || !(value.contains("red") || value.contains("green") || value.contains("blue")))
        return nullptr;
    return UIColor::colorWithRed(*r, *g, *b, *alpha);
}

UIFontPtr font(const json& value)
{
    if (!value.is_object())
        return nullptr;
    const auto sized = [&](const char* key) -> std::optional<double> {
        auto v = number(value.at(key));
        if (!v || *v <= 0 || *v > 500)
            return std::nullopt;
        return v;
    };
    if (value.contains("system")) {
        auto size = sized("system");
        return size ? UIFont::systemFontOfSize(*size) : nullptr;
    }
    if (value.contains("boldSystem")) {
        auto size = sized("boldSystem");
        return size ? UIFont::boldSystemFontOfSize(*size) : nullptr;
    }
    if (value.contains("name") && value.contains("size") && value["name"].is_string()) {
        auto size = sized("size");
        return size ? UIFont::fontWithName(value["name"].get<std::string>(), *size) : nullptr;
    }
    return nullptr;
}

UIImagePtr image(const json& value)
{
    if (!value.is_string() || value.get<std::string>().empty())
        return nullptr;
    return UIImage::imageNamed(value.get<std::string>());
}

std::optional<CGSize> size(const json& value)
{
    if (!value.is_array() || value.size() != 2)
        return std::nullopt;
    auto w = number(value[0]), h = number(value[1]);
    if (!w || !h || *w < 0 || *h < 0)
        return std::nullopt;
    return CGSizeMake(*w, *h);
}

std::optional<double> number(const json& value)
{
    if (!value.is_number())
        return std::nullopt;
    const double v = value.get<double>();
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> integer(const json& value)
{
    if (!value.is_number_integer())
        return std::nullopt;
    const auto v = value.get<std::int64_t>();
    if (v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(v);
}

std::optional<bool> flag(const json& value)
{
    if (!value.is_boolean())
        return std::nullopt;
    return value.get<bool>();
}

std::optional<std::string> text(const json& value)
{
    if (!value.is_string())
        return std::nullopt;
    return value.get<std::string>();
}

std::optional<int> choice(const json& value, const std::map<std::string, int>& names)
{
    if (!value.is_string())
        return std::nullopt;
    auto it = names.find(value.get<std::string>());
    if (it == names.end())
        return std::nullopt;
    return it->second;
}

std::optional<unsigned> mask(const json& value, const std::map<std::string, unsigned>& names)
{
    if (!value.is_array())
        return std::nullopt;
    unsigned result = 0;
    for (const auto& name : value) {
        auto it = name.is_string() ? names.find(name.get<std::string>()) : names.end();
        if (it == names.end())
            return std::nullopt;
        result |= it->second;
    }
    return result;
}

} // namespace InterfaceValues
