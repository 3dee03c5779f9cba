#include "session/ReplyLines.h"

#include "platform/foundation/NumberValue.h"

#include <algorithm>

ReplyLines::ReplyLines(std::string_view text)
{
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            m_lines.emplace_back(text.substr(start));
            break;
        }
        m_lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
}

const std::string& ReplyLines::line(std::size_t index) const
{
    static const std::string empty;
    return index < m_lines.size() ? m_lines[index] : empty;
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

std::string ReplyLines::description() const
{
    std::string joined = "(";
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        joined += (i ? ", " : "") + m_lines[i];
    return joined + ")";
}
