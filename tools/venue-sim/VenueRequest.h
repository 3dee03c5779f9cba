#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One request as the server reads it: the command number and the fields after it.
//
// The tablet writes fields either each followed by "\r\n" or joined by "\r\n"; a text that ends
// in "\r\n" therefore has one empty line too many, which is not a field. (The joined form with an
// empty last field reads one field short; handlers read missing fields as empty text.)
class VenueRequest {
public:
    VenueRequest(int command, std::vector<std::string> fields);

    // From the decoded text of a frame (length digits in front). Nothing when the second line
    // is not a command number.
    static std::optional<VenueRequest> parse(std::string_view text);

    int command() const { return m_command; }
    const std::vector<std::string>& fields() const { return m_fields; }
    // The field at index, or the empty text past the end.
    const std::string& field(std::size_t index) const;
    bool hasField(const std::string& value) const;

    // "request 161 fields=[1|25|1|8801||]": the line the server logs for it.
    std::string describe() const;

private:
    int m_command;
    std::vector<std::string> m_fields;
};
