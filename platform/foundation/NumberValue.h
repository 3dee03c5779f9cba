#pragma once

#include <cstdint>
#include <string_view>

// Reading numbers out of text the way the platform's string accessors do: skip leading white
// space, take an optional sign and the longest numeric prefix, ignore the rest; no number is 0.
// Integers saturate at their type's limits instead of wrapping.
int intValue(std::string_view text);
std::int64_t integerValue(std::string_view text);
double doubleValue(std::string_view text);
float floatValue(std::string_view text);
// "Y", "y", "T", "t" or a non-zero leading integer.
bool boolValue(std::string_view text);
