#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The text of a guest's bottle code: fields separated by "|", the first the venue's id. Its
// fields go out as request fields, so a code is taken only when it has enough fields, a venue
// id, and no line break in any field (which would shift every later field at the server).
class WineQrPayload {
public:
    enum class Verdict { Good, Malformed, OtherVenue };

    WineQrPayload(const std::string& text, std::size_t minimumFields, const std::string& venueId);

    Verdict verdict() const { return m_verdict; }
    // Field i of a good code, below the minimum; the fields past it are dropped.
    const std::string& field(std::size_t i) const { return m_fields.at(i); }

private:
    std::vector<std::string> m_fields;
    Verdict m_verdict = Verdict::Malformed;
};
