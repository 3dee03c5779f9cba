#include "session/VenueMessage.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/TextEncoding.h"

#include <array>

namespace {

constexpr std::array<std::uint8_t, 256> makeTable()
{
    std::array<std::uint8_t, 256> table {};
    for (int value = 0; value < 256; ++value) {
        auto reg = static_cast<std::uint8_t>(value);
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 1) ? static_cast<std::uint8_t>((reg >> 1) ^ 0x8C) : static_cast<std::uint8_t>(reg >> 1);
        table[static_cast<std::size_t>(value)] = reg;
    }
    return table;
}

constexpr auto kTable = makeTable();

std::string commandLine(int command)
{
    return "\r\n" + std::to_string(command) + "\r\n";
}

} // namespace

std::uint8_t VenueMessage::getCRC(const std::uint8_t* bytes, std::int32_t length)
{
    if (length <= 0)
        return 0;
    return getCRC(std::string_view(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length)));
}

std::uint8_t VenueMessage::getCRC(std::string_view bytes)
{
    std::uint8_t reg = 0;
    for (char c : bytes)
        reg = kTable[reg ^ static_cast<std::uint8_t>(c)];
    return reg;
}

bool VenueMessage::checkIfVaildMsg(std::string_view frame)
{
    if (frame.empty())
        return false;
    return getCRC(frame.substr(0, frame.size() - 1)) == static_cast<std::uint8_t>(frame.back());
}

std::string VenueMessage::fieldListBody(int command, const std::vector<std::string>& fields)
{
    std::string body = commandLine(command);
    for (const auto& field : fields) {
        body += field;
        body += "\r\n";
    }
    return body;
}

std::string VenueMessage::arrayBody(int command, const std::vector<std::string>& fields)
{
    std::string body = commandLine(command);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            body += "\r\n";
        body += fields[i];
    }
    return body;
}

bool VenueMessage::fieldsAreSendable(const std::vector<std::string>& fields)
{
    for (const auto& field : fields) {
        if (field.find_first_of("\r\n") != std::string::npos)
            return false;
    }
    return true;
}

std::optional<std::string> VenueMessage::buildFrame(std::string_view body)
{
    // The body is encoded straight behind room for its length, which is known only after.
    std::string frame(kLengthDigits, '0');
    if (!TextEncoding::appendGB18030(frame, body)) {
        NSLog("request not sent: its text cannot be encoded in GB18030");
        return std::nullopt;
    }
    const std::size_t bodyBytes = frame.size() - kLengthDigits;
    if (bodyBytes > kMaximumBody) {
        NSLog("request not sent: its body of %zu bytes is longer than a frame can hold", bodyBytes);
        return std::nullopt;
    }
    for (std::size_t i = kLengthDigits, length = bodyBytes + kMinimumFrame; i-- > 0; length /= 10)
        frame[i] = static_cast<char>('0' + length % 10);
    frame.push_back(static_cast<char>(getCRC(frame)));
    return frame;
}

std::optional<std::string> VenueMessage::fieldListFrame(int command, const std::vector<std::string>& fields)
{
    if (!fieldsAreSendable(fields)) {
        NSLog("request %d not sent: a field holds a line break", command);
        return std::nullopt;
    }
    return buildFrame(fieldListBody(command, fields));
}

std::optional<std::string> VenueMessage::arrayFrame(int command, const std::vector<std::string>& fields)
{
    if (!fieldsAreSendable(fields)) {
        NSLog("request %d not sent: a field holds a line break", command);
        return std::nullopt;
    }
    return buildFrame(arrayBody(command, fields));
}

std::optional<std::string> VenueMessage::decodeFrame(std::string_view frame)
{
    if (frame.size() < kMinimumFrame || !checkIfVaildMsg(frame))
        return std::nullopt;
    return TextEncoding::fromGB18030(frame.substr(0, frame.size() - 1));
}

std::optional<std::string_view> VenueMessage::checkedFrameText(std::string& scratch, std::string_view frame)
{
    return TextEncoding::decodeGB18030Into(scratch, frame.substr(0, frame.size() - 1));
}

std::optional<std::size_t> VenueMessage::announcedLength(std::string_view buffered)
{
    if (buffered.size() < kLengthDigits)
        return std::nullopt;
    std::size_t length = 0;
    for (std::size_t i = 0; i < kLengthDigits; ++i) {
        const char c = buffered[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        length = length * 10 + static_cast<std::size_t>(c - '0');
    }
    return length;
}
