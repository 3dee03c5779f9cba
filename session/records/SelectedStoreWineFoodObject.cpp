#include "session/records/SelectedStoreWineFoodObject.h"

#include <cstdio>

namespace {
std::string twoDecimals(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}
} // namespace

SelectedStoreWineFoodObject SelectedStoreWineFoodObject::wholeBottles(std::string no, std::string name, int count)
{
    SelectedStoreWineFoodObject line {std::move(no), std::move(name), "0", std::to_string(count), twoDecimals(0), ""};
    line.foodCount = line.foodCunLiang;
    return line;
}

SelectedStoreWineFoodObject SelectedStoreWineFoodObject::openedBottle(std::string no, std::string name,
                                                                      double remainder)
{
    SelectedStoreWineFoodObject line {std::move(no), std::move(name), "1", "0", twoDecimals(remainder), ""};
    line.foodCount = line.foodYuLiang;
    return line;
}
