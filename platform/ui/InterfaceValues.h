#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIFont.h"
#include "platform/graphics/UIImage.h"

#include <nlohmann/json_fwd.hpp>

#include <map>
#include <optional>
#include <string>

// Property values as interface files write them. Each gives nothing for a value of the wrong
// form, so the loader can say which property was wrong.
namespace InterfaceValues {
// "#RRGGBB", "#RRGGBBAA", a named colour ("clear", "white", "darkGray" ...), or
// {"white": w, "alpha": a} / {"red": r, "green": g, "blue": b, "alpha": a} with parts 0 to 1.
UIColorPtr color(const nlohmann::json& value);
// {"system": size}, {"boldSystem": size} or {"name": "Helvetica-Bold", "size": size}.
UIFontPtr font(const nlohmann::json& value);
// A picture name from the bundled pictures.
UIImagePtr image(const nlohmann::json& value);
std::optional<CGSize> size(const nlohmann::json& value);   // [w, h]
std::optional<double> number(const nlohmann::json& value); // finite
std::optional<int> integer(const nlohmann::json& value);
std::optional<bool> flag(const nlohmann::json& value);
std::optional<std::string> text(const nlohmann::json& value);
// One name of the table, or for a mask a list of names (or-ed together).
std::optional<int> choice(const nlohmann::json& value, const std::map<std::string, int>& names);
std::optional<unsigned> mask(const nlohmann::json& value, const std::map<std::string, unsigned>& names);
} // namespace InterfaceValues
