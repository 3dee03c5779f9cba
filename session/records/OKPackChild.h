#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A group of a package (or of free items) from which the guest chooses; also one unsettled
// line of a bill, which uses the second set of fields.
struct OKPackChild {
    std::string SetItemsDataCount = "0";
    std::string DetailDataCount = "0";
    std::string SetID = "0";
    std::string SetItemName;
    std::string SetSumCount = "0";
    std::string CountMode = "0"; // "1": each dish counts with its own fixed Count
    std::string NotShare = "0";  // "1": exactly one of the group's dishes is chosen
    std::string Str1;
    std::string Str2;
    std::optional<std::string> SetNote;
    std::optional<std::string> FolioID;
    std::optional<std::string> FoodName;
    std::optional<std::string> Price;
    std::optional<std::string> VipPrice;
    std::optional<std::string> Quantity;
    std::optional<std::string> DisRate;
    std::optional<std::string> Monad;
    std::optional<std::string> GroupID;
    std::optional<std::string> Str01;
    std::optional<std::string> Str02;
    std::optional<std::string> Str03;
    std::optional<std::string> Str04;
    std::optional<std::string> Str05;
    bool isSelected = false;
    bool Flag = false; // the group's section is shown open
    std::int64_t CanSelectCount = 0;
    std::int32_t SelectedCount = 0;
};
