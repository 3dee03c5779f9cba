#include "tools/venue-sim/FrameReader.h"

#include "session/VenueMessage.h"

std::optional<FrameReader::Event> FrameReader::next()
{
    if (m_buffer.size() < VenueMessage::kLengthDigits)
        return std::nullopt;
    const auto length = VenueMessage::announcedLength(m_buffer);
    if (!length || *length < VenueMessage::kMinimumFrame)
        return Event {Event::Kind::BadLength, m_buffer.substr(0, VenueMessage::kLengthDigits), 0};
    if (*length > m_buffer.size())
        return std::nullopt;

    const std::string_view frame(m_buffer.data(), *length);
    Event event {Event::Kind::Frame, {}, *length};
    if (!VenueMessage::checkIfVaildMsg(frame)) {
        event.kind = Event::Kind::BadCrc;
    } else if (auto text = VenueMessage::decodeFrame(frame)) {
        event.text = std::move(*text);
    } else {
        event.kind = Event::Kind::Undecodable;
    }
    m_buffer.erase(0, *length);
    return event;
}
