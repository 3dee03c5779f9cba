#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One line of a reply: a view into the reply's text, valid as long as the text is, that becomes
// an owned text wherever one is wanted (a record's field, a callback's argument).
class ReplyLine : public std::string_view {
public:
    ReplyLine() = default;
    explicit ReplyLine(std::string_view text)
        : std::string_view(text)
    {
    }
    operator std::string() const { return std::string(data(), size()); }
};

// A reply text split on "\r\n" into numbered lines: line 0 the length digits, 1 the command,
// 2 the error code, 3 the error message, data after. Empty lines count, and a text ending in
// "\r\n" has a last empty line. A line past the end reads as the empty text.
class ReplyLines {
public:
    // Lines of a text they keep (copies share it).
    explicit ReplyLines(std::string text);
    // Lines that only view text, which must outlive them: a reply is split where it is
    // delivered, and only the records built from it copy what they keep.
    static ReplyLines viewing(std::string_view text);

    std::size_t count() const { return m_lines.size(); }
    ReplyLine line(std::size_t index) const { return ReplyLine(index < m_lines.size() ? m_lines[index] : std::string_view()); }
    ReplyLine operator[](std::size_t index) const { return line(index); }
    bool has(std::size_t index) const { return index < m_lines.size(); }

    int command() const;
    ReplyLine errorCode() const { return line(2); }
    ReplyLine errorMessage() const { return line(3); }

    // How many whole records of `stride` lines start at `first`, at most `limit` (a count the
    // reply itself announced, which may be negative or far too large).
    std::size_t recordCount(std::size_t first, std::size_t stride, std::int64_t limit = INT64_MAX) const;

    // Copies of the lines from `first` on, for a receiver that keeps them.
    std::vector<std::string> texts(std::size_t first = 0) const;
    // Every line, as the console shows a reply: "(line0, line1, ...)".
    std::string description() const;

private:
    ReplyLines() = default;
    void split(std::string_view text);

    std::shared_ptr<const std::string> m_text;
    std::vector<std::string_view> m_lines;
};
