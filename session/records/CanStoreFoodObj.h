#pragma once

#include <string>

// A drink that may be stored for a guest.
struct CanStoreFoodObj {
    std::string FoodNo;
    std::string FoodName_Cha;
    std::string FoodName_Eng;
    std::string InputCode;
    std::string LimitDays;
    std::string LimitDaysOfOpen;
};
