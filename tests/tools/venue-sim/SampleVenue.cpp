#include "tests/tools/venue-sim/SampleVenue.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

std::string roomNumber(std::size_t index)
{
    const std::string digits = std::to_string(index + 1);
    return "A" + std::string(digits.size() < 2 ? 1 : 0, '0') + digits;
}

std::string sampleVenueJson(const std::vector<std::string>& states)
{
    using nlohmann::json;
    json rooms = json::array();
    for (std::size_t i = 0; i < states.size(); ++i) {
        json room {{"no", roomNumber(i)}, {"name", "小包" + roomNumber(i)}, {"type", i % 3 == 2 ? "2" : "1"},
                   {"region", i % 2 == 0 ? "1" : "2"}, {"state", states[i]}};
        if (states[i] == "open" || states[i] == "settling") {
            room["guest"] = "张先生";
            room["guests"] = "6";
            room["booker"] = "8802";
            room["checkIn"] = "19:30";
            room["food"] = 520;
            room["master"] = "M" + std::to_string(i);
        }
        if (states[i] == "booked") {
            room["booker"] = "8801";
            room["guest"] = "李女士";
            room["reserved"] = "15:00";
            room["arrival"] = "20:30";
        }
        rooms.push_back(room);
    }
    json root {
        {"venue", {{"id", "0571026"}, {"name", "云上声度KTV"}}},
        {"binding",
         {{"clerk", "8801"}, {"ShowType", "1"}, {"CanCashMoney", "1"}, {"BoundType", "0"}, {"LoginMode", "0"},
          {"CheckInRoomMode", "2"}}},
        {"clerks",
         {{{"number", "8801"}, {"name", "王丽"}, {"password", "2580"}, {"group", "营销一部"}},
          {{"number", "8802"}, {"name", "陈建国"}, {"password", "1357"}, {"position", "营销总监"}}}},
        {"regions", {{{"id", "1"}, {"name", "一楼大厅"}, {"printLocate", "一楼吧台"}}, {{"id", "2"}, {"name", "二楼东区"}}}},
        {"roomTypes",
         {{{"id", "1"}, {"name", "小包"}, {"lowLimit", 300}, {"priceId", "1"}, {"roomMoneyMode", "3"}},
          {{"id", "2"}, {"name", "豪华包"}, {"lowLimit", 1288}, {"priceId", "3"}, {"roomMoneyMode", "0"}}}},
        {"rooms", rooms},
    };
    return root.dump();
}

VenueData sampleVenue(const std::vector<std::string>& states)
{
    std::string error;
    auto data = VenueData::fromJson(sampleVenueJson(states), error);
    if (!data)
        throw std::runtime_error("sample venue: " + error);
    return std::move(*data);
}
