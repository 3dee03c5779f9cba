#pragma once

#include <optional>
#include <string>
#include <string_view>

// What can be wrong with a reply frame, so the tablet's handling of a broken server can be tried.
enum class FrameMalformation {
    None,
    BadCrc,      // the last byte does not match
    BadDigits,   // the length field is not six digits
    BadEncoding, // the CRC is right but the body holds bytes that are not GB18030
};

std::optional<FrameMalformation> frameMalformationNamed(std::string_view name);
const char* frameMalformationName(FrameMalformation malformation);

// The frame of a UTF-8 reply body, spoilt as asked. Nothing when the body cannot be encoded.
std::optional<std::string> makeReplyFrame(std::string_view body, FrameMalformation malformation);
