#pragma once

#include "tools/venue-sim/BillItem.h"
#include "tools/venue-sim/RoomDisplayState.h"

#include <string>
#include <vector>

// One room of the hall with the facts the floor and the details replies carry. The state travels
// as the tablet reads it: a state code ("" free, "R" booked, "I" open, "S" settling, "L" paid but
// not yet left), a flag ("1" seating requested, "4" being cleaned, "6" merged) and an
// out-of-order mark. The transitions below keep those three consistent.
class VenueRoom {
public:
    std::string number;
    std::string name;
    std::string typeId;
    std::string regionId;

    std::string state;
    std::string flag = "0";
    std::string ifBad = "0";

    std::string bookerNo;
    std::string guestName;
    std::string guestCount;
    std::string vipFlag = "0";
    std::string vipId;
    std::string reserveTime;
    std::string arriveTime;
    std::string checkInTime;
    std::string checkOutTime;
    std::string masterId;
    std::string preSettleFlag = "0";
    std::string waiterNo;
    std::string mergedWith;

    double lowLimit = 0;
    double foodMoney = 0;
    double roomMoney = 0;
    double dinnerMoney = 0;
    double freeMoney = 0;
    double paidMoney = 0;
    // What was ordered: the food money is the sum of these lines.
    std::vector<BillItem> bill;

    RoomDisplayState displayState() const;
    // Sets the codes that show as the state; used when the data file names a state.
    void setDisplayState(RoomDisplayState display);

    void requestSeating();
    void cancelSeating();
    void book(std::string booker, std::string guest, std::string count, std::string reserved, std::string arrival);
    void open(std::string checkIn, std::string master);
    void addConsumption(double amount);
    // Puts a line on the bill and its amount on the food money.
    void addToBill(BillItem item);
    double unsettledAmount() const;
    // Marks every line paid and records the payment.
    void payBill(double amount);
    void settle(std::string checkOut);
    void startCleaning();
    // Back to an empty room: guests, booking, bill and amounts go.
    void makeFree();

    double overLowLimit() const;
    // What the guests owe: the minimum spend or what they consumed, whichever is more, plus the
    // room charge and dinner, less what was given free. Nothing for a room without guests.
    double receivable() const;
};
