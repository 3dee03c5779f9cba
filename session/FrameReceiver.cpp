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

FrameReceiver::Cut FrameReceiver::next(std::string& scratch)
{
    const std::string_view pending = std::string_view(m_bytes).substr(m_offset);
    const auto length = VenueMessage::announcedLength(pending);
    if (!length) {
        // A digit missing from the front already rules a frame out; no need to wait for six bytes.
        const auto digits = pending.substr(0, VenueMessage::kLengthDigits);
        const bool digitsSoFar = digits.find_first_not_of("0123456789") == std::string_view::npos;
        return {digitsSoFar && digits.size() < VenueMessage::kLengthDigits ? Outcome::NeedMore : Outcome::Corrupt};
    }
    if (*length < VenueMessage::kMinimumFrame)
        return {Outcome::Corrupt};
    if (*length > pending.size())
        return {};
    const std::string_view frame = pending.substr(0, *length);
    Cut cut {Outcome::BadCheck, *length};
    if (VenueMessage::checkIfVaildMsg(frame)) {
        const auto text = VenueMessage::checkedFrameText(scratch, frame);
        cut.outcome = text ? Outcome::Frame : Outcome::Undecodable;
        cut.text = text.value_or(std::string_view());
    }
    m_offset += *length;
    if (m_offset == m_bytes.size())
        clear();
    return cut;
}

FrameReceiver::Drained FrameReceiver::deliverFrames(const Deliver& deliver, const Dropped& dropped)
{
    std::string scratch;
    for (;;) {
        const Cut cut = next(scratch);
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
