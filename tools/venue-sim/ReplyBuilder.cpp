#include "tools/venue-sim/ReplyBuilder.h"

namespace {

void appendLine(std::string& body, const std::string& text)
{
    body += "\r\n";
    for (char c : text)
        body += (c == '\r' || c == '\n') ? ' ' : c;
}

} // namespace

ReplyBuilder::ReplyBuilder(int command, std::string errorCode, std::string errorMessage)
    : m_command(command)
    , m_errorCode(std::move(errorCode))
    , m_errorMessage(std::move(errorMessage))
{
}

ReplyBuilder::ReplyBuilder(int command, bool status)
    : m_command(command)
    , m_status(status)
{
}

ReplyBuilder ReplyBuilder::failure(int command, std::string errorMessage)
{
    return ReplyBuilder(command, "1", std::move(errorMessage));
}

ReplyBuilder ReplyBuilder::withoutStatus(int command)
{
    return ReplyBuilder(command, false);
}

ReplyBuilder& ReplyBuilder::line(std::string text)
{
    m_data.push_back(std::move(text));
    return *this;
}

ReplyBuilder& ReplyBuilder::line(std::int64_t number)
{
    return line(std::to_string(number));
}

ReplyBuilder& ReplyBuilder::lines(const std::vector<std::string>& texts)
{
    m_data.insert(m_data.end(), texts.begin(), texts.end());
    return *this;
}

ReplyBuilder& ReplyBuilder::padTo(std::size_t lineIndex)
{
    while (nextLineIndex() < lineIndex)
        m_data.emplace_back();
    return *this;
}

std::size_t ReplyBuilder::nextLineIndex() const
{
    return (m_status ? 4 : 2) + m_data.size();
}

std::string ReplyBuilder::body() const
{
    std::string body;
    appendLine(body, std::to_string(m_command));
    if (m_status) {
        appendLine(body, m_errorCode);
        appendLine(body, m_errorMessage);
    }
    for (const auto& text : m_data)
        appendLine(body, text);
    return body;
}
