#pragma once

#include <optional>
#include <string>

// One line of an order being built, or of a room's bill.
struct OKFolioObject {
    std::string FoodNo;
    std::string FoodName;
    std::string Price;
    std::string Flag; // "N" ordinary, "F" free
    std::optional<std::string> SettleFlag;
    std::string Quantity = "0";
    std::string CanDiscount;
    std::optional<std::string> Monad;
    std::string IfLowLimitPrice;
    std::string PrinterNo;
    std::string OverTimes;
    std::string IfPack;
    std::string IfPackChild;
    std::string AutoFreed;
    std::string AutoFreeCount = "0";
    std::string ParentFoodNo;
    std::string CanReward;
    std::string AutoFreeSetIDOfMutilToOne;
    std::string LimitDisRate;
    std::string SendMobileMsgWhenFree;
    std::string Note;
    std::string VipPrice = "0";
    std::string UseVipSpecialPrice = "0";
    std::string Str2;
    std::string Str3;
    std::string Str4;
    std::string Str5;
    std::string Adds1Name;
    std::string Adds2Name;
    std::string GroupID;
    std::string DeduckClerkName;
    std::string FlowerGirlsNo;
    std::string IfFlowerItem = "0";
    std::string ReturnFlag;
    std::string InputClerk;
    std::string InputTime;
    std::string FreeClerk;
    std::optional<std::string> InputGroupID;
    std::optional<std::string> isSelected;
};
