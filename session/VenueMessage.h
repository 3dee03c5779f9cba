#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The frame every request and reply travels in: six ASCII digits giving the whole frame's
// length, the body as GB18030 text, and a CRC-8 (reflected 0x31, initial 0, no final XOR) of
// everything before it.
namespace VenueMessage {

constexpr std::size_t kLengthDigits = 6;
constexpr std::size_t kMinimumFrame = kLengthDigits + 1;
constexpr std::size_t kMaximumFrame = 999'999;
constexpr std::size_t kMaximumBody = kMaximumFrame - kMinimumFrame;

std::uint8_t getCRC(const std::uint8_t* bytes, std::int32_t length);
std::uint8_t getCRC(std::string_view bytes);
// The last byte is the CRC of the bytes before it.
bool checkIfVaildMsg(std::string_view frame);

// "\r\n<command>\r\n" then every field followed by "\r\n".
std::string fieldListBody(int command, const std::vector<std::string>& fields);
// "\r\n<command>\r\n" then the fields joined by "\r\n", nothing after the last.
std::string arrayBody(int command, const std::vector<std::string>& fields);
// A field with a line break would shift every later field at the server.
bool fieldsAreSendable(const std::vector<std::string>& fields);

// The frame of a UTF-8 body; nothing (and a log line) when the body cannot be encoded or is
// longer than six digits can state.
std::optional<std::string> buildFrame(std::string_view body);
// The request frames of the two send forms; nothing (and a log line) for unsendable fields.
std::optional<std::string> fieldListFrame(int command, const std::vector<std::string>& fields);
std::optional<std::string> arrayFrame(int command, const std::vector<std::string>& fields);

// The text of a checked frame: its bytes without the CRC byte, decoded from GB18030 (the six
// length digits stay in front). Nothing when the CRC is wrong or the bytes do not decode.
std::optional<std::string> decodeFrame(std::string_view frame);
// The same for a whole frame (at least kMinimumFrame bytes) whose CRC has been checked already,
// decoded into a scratch buffer (TextEncoding::decodeGB18030Into): the view is the text.
std::optional<std::string_view> checkedFrameText(std::string& scratch, std::string_view frame);

// The frame length announced by the first six bytes, when they are six ASCII digits.
std::optional<std::size_t> announcedLength(std::string_view buffered);

} // namespace VenueMessage
