#include "tools/venue-sim/VenueRoom.h"

#include <algorithm>

RoomDisplayState VenueRoom::displayState() const
{
    return roomDisplayState(state, flag, ifBad);
}

void VenueRoom::setDisplayState(RoomDisplayState display)
{
    flag = "0";
    ifBad = "0";
    switch (display) {
    case RoomDisplayState::Free: state.clear(); break;
    case RoomDisplayState::Seating: state.clear(); flag = "1"; break;
    case RoomDisplayState::Booked: state = "R"; break;
    case RoomDisplayState::Open: state = "I"; break;
    case RoomDisplayState::Settling: state = "S"; break;
    case RoomDisplayState::Cleaning: state = "L"; flag = "4"; break;
    case RoomDisplayState::Merged: state.clear(); flag = "6"; break;
    case RoomDisplayState::Repair: state.clear(); ifBad = "1"; break;
    }
}

void VenueRoom::requestSeating()
{
    flag = "1";
}

void VenueRoom::cancelSeating()
{
    flag = "0";
}

void VenueRoom::book(std::string booker, std::string guest, std::string count, std::string reserved, std::string arrival)
{
    state = "R";
    flag = "0";
    bookerNo = std::move(booker);
    guestName = std::move(guest);
    guestCount = std::move(count);
    reserveTime = std::move(reserved);
    arriveTime = std::move(arrival);
}

void VenueRoom::open(std::string checkIn, std::string master)
{
    state = "I";
    flag = "0";
    checkInTime = std::move(checkIn);
    masterId = std::move(master);
    preSettleFlag = "0";
}

void VenueRoom::addConsumption(double amount)
{
    foodMoney += amount;
}

void VenueRoom::addToBill(BillItem item)
{
    foodMoney += item.amount();
    bill.push_back(std::move(item));
}

double VenueRoom::unsettledAmount() const
{
    double owed = 0;
    for (const auto& item : bill) {
        if (!item.settled)
            owed += item.amount();
    }
    return owed;
}

void VenueRoom::payBill(double amount)
{
    for (auto& item : bill)
        item.settled = true;
    paidMoney += amount;
}

void VenueRoom::settle(std::string checkOut)
{
    state = "S";
    flag = "0";
    checkOutTime = std::move(checkOut);
    preSettleFlag = "1";
}

void VenueRoom::startCleaning()
{
    state = "L";
    flag = "4";
}

void VenueRoom::makeFree()
{
    state.clear();
    flag = "0";
    bookerNo.clear();
    guestName.clear();
    guestCount.clear();
    vipFlag = "0";
    vipId.clear();
    reserveTime.clear();
    arriveTime.clear();
    checkInTime.clear();
    checkOutTime.clear();
    masterId.clear();
    preSettleFlag = "0";
    mergedWith.clear();
    foodMoney = roomMoney = dinnerMoney = freeMoney = paidMoney = 0;
    bill.clear();
}

double VenueRoom::overLowLimit() const
{
    return std::max(0.0, foodMoney - lowLimit);
}

double VenueRoom::receivable() const
{
    const auto display = displayState();
    if (display != RoomDisplayState::Open && display != RoomDisplayState::Settling)
        return 0;
    return std::max(0.0, std::max(lowLimit, foodMoney) + roomMoney + dinnerMoney - freeMoney);
}
