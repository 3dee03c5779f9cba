#pragma once

#include <string>
#include <vector>

// One drink line of a store-wine request: whole bottles, or the remainder of an opened one.
struct SelectedStoreWineFoodObject {
    std::string foodNo;
    std::string foodName;
    std::string foodOpenFlag; // "0" whole bottles, "1" an opened bottle
    std::string foodCunLiang; // whole bottles, "%d"
    std::string foodYuLiang;  // remainder of an opened bottle, "%.2f"
    std::string foodCount;    // what the request's list shows

    static SelectedStoreWineFoodObject wholeBottles(std::string no, std::string name, int count);
    static SelectedStoreWineFoodObject openedBottle(std::string no, std::string name, double remainder);
    // The five fields a line adds to the store request, in the order the server reads them.
    std::vector<std::string> requestFields() const { return {foodNo, foodName, foodOpenFlag, foodCunLiang, foodYuLiang}; }
};
