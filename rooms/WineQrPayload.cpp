#include "rooms/WineQrPayload.h"

#include "session/VenueMessage.h"

#include <algorithm>

WineQrPayload::WineQrPayload(const std::string& text, std::size_t minimumFields, const std::string& venueId)
{
    // Every "|" separates, so "a|b|" has three fields, the last empty.
    std::size_t start = 0;
    for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
        m_fields.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    m_fields.push_back(text.substr(start));

    // The venue id is always read.
    minimumFields = std::max<std::size_t>(minimumFields, 1);
    if (m_fields.size() < minimumFields) {
        m_verdict = Verdict::Malformed;
        return;
    }
    // Fields past the minimum are never sent, whatever they hold.
    m_fields.resize(minimumFields);
    if (m_fields.front().empty() || !VenueMessage::fieldsAreSendable(m_fields))
        m_verdict = Verdict::Malformed;
    else if (m_fields.front() != venueId)
        m_verdict = Verdict::OtherVenue;
    else
        m_verdict = Verdict::Good;
}
