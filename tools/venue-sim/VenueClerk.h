#pragma once

#include <string>

// A member of staff: the number the server knows him by, his name and the password he types on
// the tablet's keypad.
struct VenueClerk {
    std::string number;
    std::string name;
    std::string password;
    std::string group;    // the team a booking clerk belongs to
    std::string position; // shown as the credited clerk's position
};
