#include "tools/venue-sim/RoomDrift.h"

#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"

#include <array>
#include <ctime>
#include <vector>

namespace {

constexpr std::array<const char*, 10> kGuests {
    "张先生", "李女士", "王总", "刘先生", "陈女士", "杨先生", "赵总", "黄女士", "周先生", "吴女士",
};

// "HH:MM" some minutes after now.
std::string laterTime(const VenueClock& clock, int minutes)
{
    const std::time_t moment = clock.now() + static_cast<std::time_t>(minutes) * 60;
    std::tm parts {};
    localtime_r(&moment, &parts);
    char buffer[8];
    std::strftime(buffer, sizeof buffer, "%H:%M", &parts);
    return buffer;
}

} // namespace

RoomDrift::RoomDrift(std::uint32_t seed)
    : m_random(seed)
{
}

std::string RoomDrift::step(VenueData& data, const VenueClock& clock)
{
    std::vector<VenueRoom*> movable;
    for (auto& room : data.rooms()) {
        const auto display = room.displayState();
        if (display != RoomDisplayState::Merged && display != RoomDisplayState::Repair)
            movable.push_back(&room);
    }
    if (movable.empty() || data.clerks().empty())
        return {};

    auto pick = [this](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(m_random);
    };
    VenueRoom& room = *movable[pick(movable.size())];
    const auto before = room.displayState();
    const bool coin = pick(2) == 0;

    switch (before) {
    case RoomDisplayState::Free:
        if (coin) {
            room.book(data.clerks()[pick(data.clerks().size())].number, kGuests[pick(kGuests.size())],
                      std::to_string(2 + pick(10)), clock.timeText(), laterTime(clock, 30 + 15 * static_cast<int>(pick(6))));
        } else {
            room.guestName = kGuests[pick(kGuests.size())];
            room.guestCount = std::to_string(2 + pick(10));
            room.open(clock.timeText(), data.nextMasterId());
        }
        break;
    case RoomDisplayState::Seating:
    case RoomDisplayState::Booked:
        if (before == RoomDisplayState::Booked && coin) {
            room.requestSeating();
        } else {
            room.open(clock.timeText(), data.nextMasterId());
        }
        break;
    case RoomDisplayState::Open:
        if (coin)
            room.addToBill(data.barConsumption(static_cast<double>(38 + 10 * pick(40)), clock.timeText()));
        else
            room.settle(clock.timeText());
        break;
    case RoomDisplayState::Settling:
        room.startCleaning();
        break;
    case RoomDisplayState::Cleaning:
        room.makeFree();
        break;
    case RoomDisplayState::Merged:
    case RoomDisplayState::Repair:
        break;
    }
    const auto after = room.displayState();
    if (after == before)
        return room.number + " " + roomDisplayStateName(before) + " 消费 " + amountText(room.foodMoney);
    return room.number + " " + roomDisplayStateName(before) + " -> " + roomDisplayStateName(after);
}
