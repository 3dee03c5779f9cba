#include "tools/venue-sim/FrameMalformation.h"

#include "session/VenueMessage.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<FrameMalformation, const char*>, 4> kNames {{
    {FrameMalformation::None, "none"},
    {FrameMalformation::BadCrc, "crc"},
    {FrameMalformation::BadDigits, "digits"},
    {FrameMalformation::BadEncoding, "encoding"},
}};

} // namespace

std::optional<FrameMalformation> frameMalformationNamed(std::string_view name)
{
    for (const auto& [value, text] : kNames) {
        if (name == text)
            return value;
    }
    return std::nullopt;
}

const char* frameMalformationName(FrameMalformation malformation)
{
    for (const auto& [value, text] : kNames) {
        if (value == malformation)
            return text;
    }
    return "?";
}

std::optional<std::string> makeReplyFrame(std::string_view body, FrameMalformation malformation)
{
    if (malformation == FrameMalformation::BadEncoding) {
        // 0xFF never starts a GB18030 character; the frame is rebuilt around it with a valid CRC.
        auto frame = VenueMessage::buildFrame(std::string(body));
        if (!frame)
            return std::nullopt;
        frame->pop_back();
        frame->append("\xFF\xFF");
        const std::string digits = std::to_string(1'000'000 + frame->size() + 1).substr(1);
        frame->replace(0, VenueMessage::kLengthDigits, digits);
        frame->push_back(static_cast<char>(VenueMessage::getCRC(*frame)));
        return frame;
    }

    auto frame = VenueMessage::buildFrame(body);
    if (!frame)
        return std::nullopt;
    switch (malformation) {
    case FrameMalformation::BadCrc:
        frame->back() = static_cast<char>(frame->back() ^ 0x5A);
        break;
    case FrameMalformation::BadDigits:
        frame->replace(0, VenueMessage::kLengthDigits, "00X0#9");
        frame->back() = static_cast<char>(VenueMessage::getCRC(std::string_view(*frame).substr(0, frame->size() - 1)));
        break;
    case FrameMalformation::None:
    case FrameMalformation::BadEncoding:
        break;
    }
    return frame;
}
