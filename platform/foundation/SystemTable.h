#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// A table the system keeps as lines of text under /proc (its file locks, its mounts), read whole.
namespace SystemTable {
// Hands each line of the table at path, without its newline, to line until that returns false.
// Nothing when the table was read to its end or line asked to stop; else why it could not be
// read whole (the system's reason, or a line longer than any the system writes). Opened without
// waiting: a table is never waited on.
std::optional<std::string> readLines(const std::filesystem::path& path,
                                     const std::function<bool(std::string_view line)>& line);
} // namespace SystemTable
