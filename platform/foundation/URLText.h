#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text read as a URL, the way the platform reads it: the text itself when it is a well-formed
// URL reference, nothing when it is empty or carries what a URL may not (spaces, control or
// non-ASCII characters, delimiters such as '"' '<' '>', a '%' without two hex digits, a second '#').
std::optional<std::string> URLWithString(std::string_view text);
