#pragma once

#include <string>

// One line of a room's bill: a dish ordered for the room, a gift ("F") or the consumption the
// room had before the server started. Settled lines are paid; the rest are still owed.
struct BillItem {
    std::string folioId;
    std::string dishNo;
    std::string name;
    std::string unit;
    std::string flag = "N";
    std::string discountRate = "1";
    std::string inputClerk;
    std::string inputTime;
    std::string freeClerk;
    std::string note;
    std::string groupId; // the order the line came with
    double price = 0;
    double vipPrice = 0;
    double quantity = 0;
    bool packageChild = false;
    bool settled = false;

    bool gift() const { return flag == "F"; }
    double amount() const { return gift() ? 0 : price * quantity; }
};
