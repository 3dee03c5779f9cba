#include "tools/venue-sim/VenueRequest.h"

#include "session/ReplyLines.h"

#include <algorithm>

VenueRequest::VenueRequest(int command, std::vector<std::string> fields)
    : m_command(command)
    , m_fields(std::move(fields))
{
}

std::optional<VenueRequest> VenueRequest::parse(std::string_view text)
{
    const auto lines = ReplyLines::viewing(text);
    const std::string_view commandLine = lines.line(1);
    if (!lines.has(1) || commandLine.empty() || commandLine.size() > 9
        || !std::all_of(commandLine.begin(), commandLine.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;

    std::vector<std::string> fields = lines.texts(2);
    if (!fields.empty() && fields.back().empty() && text.ends_with("\r\n"))
        fields.pop_back();
    return VenueRequest(std::stoi(std::string(commandLine)), std::move(fields));
}

const std::string& VenueRequest::field(std::size_t index) const
{
    static const std::string empty;
    return index < m_fields.size() ? m_fields[index] : empty;
}

bool VenueRequest::hasField(const std::string& value) const
{
    return std::find(m_fields.begin(), m_fields.end(), value) != m_fields.end();
}

std::string VenueRequest::describe() const
{
    std::string line = "request " + std::to_string(m_command) + " fields=[";
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (i)
            line += '|';
        line += m_fields[i];
    }
    return line + "]";
}
