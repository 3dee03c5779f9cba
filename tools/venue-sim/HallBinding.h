#pragma once

#include <string>

// What the hall binding (command 90) tells a device: the clerk the device acts for and the modes
// that decide whether a clerk must log in and what the room screens offer.
struct HallBinding {
    std::string clerkNo;
    std::string showType;
    std::string canCashMoney;
    std::string boundType;
    std::string loginMode;
    std::string checkInRoomMode;

    // Sets a value by the name the data file uses ("clerk", "ShowType", "CanCashMoney",
    // "BoundType", "LoginMode", "CheckInRoomMode"); false for any other name.
    bool set(const std::string& name, std::string value);
};
