#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A reply text split on "\r\n" into numbered lines: line 0 the length digits, 1 the command,
// 2 the error code, 3 the error message, data after. Empty lines count, and a text ending in
// "\r\n" has a last empty line. A line past the end reads as the empty text.
class ReplyLines {
public:
    explicit ReplyLines(std::string_view text);

    std::size_t count() const { return m_lines.size(); }
    const std::string& line(std::size_t index) const;
    const std::string& operator[](std::size_t index) const { return line(index); }
    bool has(std::size_t index) const { return index < m_lines.size(); }

    int command() const;
    const std::string& errorCode() const { return line(2); }
    const std::string& errorMessage() const { return line(3); }

    // How many whole records of `stride` lines start at `first`, at most `limit` (a count the
    // reply itself announced, which may be negative or far too large).
    std::size_t recordCount(std::size_t first, std::size_t stride, std::int64_t limit = INT64_MAX) const;

    const std::vector<std::string>& lines() const { return m_lines; }
    // Every line, as the console shows a reply: "(line0, line1, ...)".
    std::string description() const;

private:
    std::vector<std::string> m_lines;
};
