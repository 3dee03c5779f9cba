#pragma once

// The pieces each class's registration with the interface files is written in: a property of
// views of class T whose file value parse turns into an optional, and apply sets.
#include "platform/graphics/TextAttributes.h"
#include "platform/ui/InterfaceRegistry.h"
#include "platform/ui/InterfaceValues.h"

#include <nlohmann/json.hpp>

#include <optional>

namespace InterfaceProperty {

using nlohmann::json;
namespace V = InterfaceValues;

template <class T>
inline constexpr bool isOptional = false;
template <class T>
inline constexpr bool isOptional<std::optional<T>> = true;

// A property of views of class T: parse turns the file's value into an optional, apply sets it.
template <class T, class Parse, class Apply>
InterfaceRegistry::PropertySetter prop(Parse parse, Apply apply)
{
    return [parse, apply](UIView& view, const json& value) {
        auto* object = dynamic_cast<T*>(&view);
        auto parsed = parse(value);
        if (!object || !parsed)
            return false;
        if constexpr (isOptional<decltype(parsed)>)
            apply(*object, *parsed);
        else
            apply(*object, parsed); // a shared picture, colour or font
        return true;
    };
}

inline const auto asColor = [](const json& v) { return V::color(v); };
inline const auto asFont = [](const json& v) { return V::font(v); };
inline const auto asImage = [](const json& v) { return V::image(v); };
inline const auto asNumber = [](const json& v) { return V::number(v); };
inline const auto asFlag = [](const json& v) { return V::flag(v); };
inline const auto asText = [](const json& v) { return V::text(v); };
inline const auto asSize = [](const json& v) { return V::size(v); };
inline const auto asInteger = [](const json& v) { return V::integer(v); };

inline std::optional<NSTextAlignment> alignment(const json& v)
{
    auto c = V::choice(v, {{"left", 0}, {"center", 1}, {"right", 2}, {"justified", 3}, {"natural", 4}});
    return c ? std::optional(static_cast<NSTextAlignment>(*c)) : std::nullopt;
}

} // namespace InterfaceProperty
