#include "session/ReplyLines.h"

#include "platform/foundation/NumberValue.h"

#include <algorithm>

ReplyLines::ReplyLines(std::string text)
    : m_text(std::make_shared<const std::string>(std::move(text)))
{
    split(*m_text);
}

ReplyLines ReplyLines::viewing(std::string_view text)
{
    ReplyLines lines;
    lines.split(text);
    return lines;
}

void ReplyLines::split(std::string_view text)
{
    // Counting first is cheaper than growing a list of thousands of lines step by step.
    m_lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            m_lines.push_back(text.substr(start));
            break;
        }
        m_lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
}

int ReplyLines::command() const
{
    return intValue(line(1));
}

std::size_t ReplyLines::recordCount(std::size_t first, std::size_t stride, std::int64_t limit) const
{
    if (stride == 0 || limit <= 0 || first >= m_lines.size())
        return 0;
    const std::size_t available = (m_lines.size() - first) / stride;
    return static_cast<std::size_t>(std::min<std::uint64_t>(available, static_cast<std::uint64_t>(limit)));
}

std::vector<std::string> ReplyLines::texts(std::size_t first) const
{
    if (first >= m_lines.size())
        return {};
    return std::vector<std::string>(m_lines.begin() + static_cast<std::ptrdiff_t>(first), m_lines.end());
}

std::string ReplyLines::description() const
{
    std::string joined = "(";
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (i)
            joined += ", ";
        joined += m_lines[i];
    }
    return joined + ")";
}
