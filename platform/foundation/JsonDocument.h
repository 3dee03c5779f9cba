#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

// JSON files of the program's own (the settings, keychain items): tables of a handful of plain
// values. The bytes are looked over before anything is built from them, with bounds on their
// nesting and on how many values they hold, so what a file costs once built follows from its
// size alone, not from its shape, and nothing that recurses (writing a value out, comparing it)
// ever goes deeper than a file may.
namespace JsonDocument {
// Far deeper than a table of plain values needs, and shallow enough that whatever recurses over a
// value read stays cheap.
inline constexpr std::size_t MostLevels = 32;
// Every value a file holds costs its table up to some 140 bytes however few bytes it took in the
// file (`{},` takes three); thousands of times what a table of settings or a keychain item holds,
// and small enough that the largest table built stays a few megabytes.
inline constexpr std::size_t MostValues = 16384;

// What a look at the bytes found, with nothing built from them.
struct Look {
    // Why they cannot be used: "it is not JSON", "it is nested deeper than 32 levels", "it holds
    // more than 16384 values". Nothing when they can.
    std::optional<std::string> refusal;
    // Whether what they hold is a table (a JSON object).
    bool table = false;
};
// A file of brackets alone is refused at its 33rd, a file of empty tables at its 16385th.
Look look(std::string_view bytes);
// The value of bytes that look() found usable.
nlohmann::json build(std::string_view bytes);
// Both: the value the bytes hold, or nothing with why.
std::optional<nlohmann::json> parse(std::string_view bytes, std::string* why = nullptr);

// How deeply value nests (a plain value 0, an empty table 1), counted without recursion, up to
// MostLevels + 1: past that, a value's depth makes no difference to anyone who asks.
std::size_t levelsOf(const nlohmann::json& value);
// How many values value is, itself and all it holds (a table's keys are not values of their own),
// as a file that holds it is counted; counted without recursion, up to MostValues + 1.
std::size_t valuesOf(const nlohmann::json& value);
// The text of a value as it is written, with text that is not UTF-8 replaced rather than thrown.
std::string text(const nlohmann::json& value, int indent = -1);
// Whether text(value) holds value exactly: false where some text in it is not UTF-8. Recurses
// once a level, so only for a value within MostLevels.
bool writesExactly(const nlohmann::json& value);
} // namespace JsonDocument
