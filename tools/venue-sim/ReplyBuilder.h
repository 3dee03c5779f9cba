#pragma once

#include "session/VenueCommand.h"

#include <cstdint>
#include <string>
#include <vector>

// The text of one reply: "\r\n", the command, ErrorCode, ErrorMsg and the data lines, joined by
// "\r\n", so that the tablet, with the length digits in front, reads the command at line 1, the
// code at line 2, the message at line 3 and data from line 4. A few replies carry data straight
// after the command line; `withoutStatus` builds those.
class ReplyBuilder {
public:
    explicit ReplyBuilder(int command, std::string errorCode = "0", std::string errorMessage = {});
    static ReplyBuilder failure(int command, std::string errorMessage);
    static ReplyBuilder withoutStatus(int command);
    explicit ReplyBuilder(VenueCommand command, std::string errorCode = "0", std::string errorMessage = {})
        : ReplyBuilder(commandNumber(command), std::move(errorCode), std::move(errorMessage))
    {
    }
    static ReplyBuilder failure(VenueCommand command, std::string errorMessage)
    {
        return failure(commandNumber(command), std::move(errorMessage));
    }
    static ReplyBuilder withoutStatus(VenueCommand command) { return withoutStatus(commandNumber(command)); }

    ReplyBuilder& line(std::string text);
    ReplyBuilder& line(std::int64_t number);
    ReplyBuilder& lines(const std::vector<std::string>& texts);
    // Blank lines up to (not including) the absolute line index, for layouts with unread lines.
    ReplyBuilder& padTo(std::size_t lineIndex);

    int command() const { return m_command; }
    bool succeeded() const { return m_status && m_errorCode == "0"; }
    const std::string& errorCode() const { return m_errorCode; }
    const std::string& errorMessage() const { return m_errorMessage; }
    const std::vector<std::string>& dataLines() const { return m_data; }
    // The index the next data line will have in the tablet's numbering.
    std::size_t nextLineIndex() const;

    // The body to frame. A line break inside a value would shift every later line, so it
    // becomes a space.
    std::string body() const;

private:
    ReplyBuilder(int command, bool status);

    int m_command;
    bool m_status = true;
    std::string m_errorCode;
    std::string m_errorMessage;
    std::vector<std::string> m_data;
};
