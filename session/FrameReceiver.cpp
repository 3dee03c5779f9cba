#include "session/FrameReceiver.h"

#include "session/VenueMessage.h"

void FrameReceiver::append(std::span<const std::uint8_t> bytes)
{
    if (m_offset > 0 && m_offset >= m_bytes.size() / 2) {
        m_bytes.erase(0, m_offset);
        m_offset = 0;
    }
    m_bytes.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

FrameReceiver::Cut FrameReceiver::next()
{
    const std::string_view pending = std::string_view(m_bytes).substr(m_offset);
    if (pending.empty())
        return {};
    // A digit missing from the front already rules a frame out; no need to wait for six bytes.
    for (std::size_t i = 0; i < pending.size() && i < VenueMessage::kLengthDigits; ++i) {
        if (pending[i] < '0' || pending[i] > '9')
            return {Outcome::Corrupt};
    }
    const auto length = VenueMessage::announcedLength(pending);
    if (!length)
        return {};
    if (*length < VenueMessage::kMinimumFrame)
        return {Outcome::Corrupt};
    if (*length > pending.size())
        return {};
    const std::string_view frame = pending.substr(0, *length);
    Cut cut;
    cut.length = *length;
    if (!VenueMessage::checkIfVaildMsg(frame)) {
        cut.outcome = Outcome::BadCheck;
    } else if (auto text = VenueMessage::decodeFrame(frame)) {
        cut.outcome = Outcome::Frame;
        cut.text = std::move(*text);
    } else {
        cut.outcome = Outcome::Undecodable;
    }
    m_offset += *length;
    if (m_offset == m_bytes.size())
        clear();
    return cut;
}

FrameReceiver::Drained FrameReceiver::deliverFrames(const Deliver& deliver, const Dropped& dropped)
{
    for (;;) {
        Cut cut = next();
        switch (cut.outcome) {
        case Outcome::NeedMore:
            return {Stop::NeedMore};
        case Outcome::Corrupt: {
            Drained drained {Stop::Corrupt, buffered(), m_bytes.substr(m_offset, VenueMessage::kLengthDigits)};
            clear();
            return drained;
        }
        case Outcome::BadCheck:
        case Outcome::Undecodable:
            if (dropped)
                dropped(cut.outcome, cut.length);
            break;
        case Outcome::Frame:
            if (!deliver(cut.text))
                return {Stop::Released};
            break;
        }
    }
}

void FrameReceiver::clear()
{
    m_bytes.clear();
    m_offset = 0;
}
