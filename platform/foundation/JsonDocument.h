#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

// JSON files of the program's own (the settings, keychain items): tables of plain values, read
// with a bound on their nesting that is checked as the bytes are read, before anything that
// recurses (writing a value out, comparing it) ever touches what was read.
namespace JsonDocument {
// Far deeper than a table of plain values needs, and shallow enough that whatever recurses over a
// value read stays cheap.
inline constexpr std::size_t MostLevels = 32;

// The value the bytes hold, or nothing with why: "it is not JSON" or "it is nested deeper than 32
// levels". A file of brackets alone is refused at its 33rd, having built nothing.
std::optional<nlohmann::json> parse(std::string_view bytes, std::string* why = nullptr);
// How deeply value nests (a plain value 0, an empty table 1), counted without recursion, up to
// MostLevels + 1: past that, a value's depth makes no difference to anyone who asks.
std::size_t levelsOf(const nlohmann::json& value);
// The text of a value as it is written, with text that is not UTF-8 replaced rather than thrown.
std::string text(const nlohmann::json& value, int indent = -1);
} // namespace JsonDocument
