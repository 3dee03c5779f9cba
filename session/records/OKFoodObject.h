#pragma once

#include <optional>
#include <string>

// A dish of the menu.
struct OKFoodObject {
    std::string No;
    std::string NameChs;
    std::string NameEng;
    std::string Price;
    std::string Monad;
    std::string Stand;
    std::string LimitFree;
    std::string IfPack;             // "1": the guest chooses the package's items
    std::string IfFlowerItem = "0"; // "1": credited to a promoter
    std::string AddInfoNo1;
    std::string AddInfoNo2; // sent to ask for the remarks offered for the dish
    std::optional<std::string> FoodImageModifyTime;
    std::optional<std::string> Str2;
    std::optional<std::string> Str3;
    std::optional<std::string> Str4;
    std::optional<std::string> Str5;
    std::optional<std::string> TypeNo;
    std::optional<std::string> TopLevel;
    std::optional<std::string> Name;
    std::optional<std::string> Level;
};
