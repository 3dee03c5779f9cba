#pragma once

#include <cstdint>
#include <string>
#include <variant>

// A value bound to a "?" placeholder.
using SqlValue = std::variant<std::nullptr_t, std::int64_t, double, std::string>;
