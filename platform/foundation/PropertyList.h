#pragma once

#include <filesystem>
#include <optional>

#include <nlohmann/json.hpp>

// Reads an XML or binary property list into a JSON value: dictionaries become objects, arrays
// arrays, strings, numbers and booleans themselves; dates and data become text.
std::optional<nlohmann::json> readPropertyList(const std::filesystem::path& path);
