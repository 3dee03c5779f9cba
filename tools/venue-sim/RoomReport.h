#pragma once

#include <string>
#include <vector>

// A room's service report: an id and, in the order the report is sent, 38 ratings with the
// seven remarks standing between them (45 values).
struct RoomReport {
    static constexpr std::size_t kValueCount = 45;
    std::string id = "0";
    std::vector<std::string> values;
};
