#include "tools/venue-sim/HallBinding.h"

bool HallBinding::set(const std::string& name, std::string value)
{
    std::string* field = name == "clerk"             ? &clerkNo
                         : name == "ShowType"        ? &showType
                         : name == "CanCashMoney"    ? &canCashMoney
                         : name == "BoundType"       ? &boundType
                         : name == "LoginMode"       ? &loginMode
                         : name == "CheckInRoomMode" ? &checkInRoomMode
                                                     : nullptr;
    if (!field)
        return false;
    *field = std::move(value);
    return true;
}
