#pragma once

#include <optional>
#include <string>

// The header of a promoter query reply.
struct SelectClerkListCountDown {
    std::optional<std::string> ErrorCode;
    std::optional<std::string> ErrorMsg;
    std::string PageCount;
    std::string DataCount;
};
