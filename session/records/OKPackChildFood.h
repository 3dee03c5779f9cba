#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A dish that may be chosen in a package group.
struct OKPackChildFood {
    std::optional<std::string> SetItemsDataCount;
    std::optional<std::string> DetailDataCount;
    std::string SetID;
    std::string FoodNo = "0";
    std::string FoodName_Cha;
    std::string FoodName_Eng;
    std::string Monad;
    std::string PrintType;
    std::string OverTimes;
    std::optional<std::string> Count;
    std::optional<std::string> Str1;
    std::optional<std::string> Str2;
    std::string Price;
    std::int32_t SelectedCount = 0;
};
