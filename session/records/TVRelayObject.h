#pragma once

#include <string>

// One TV channel of a room.
struct TVRelayObject {
    std::string orderNum;
    std::string name;
    std::string number;
};
