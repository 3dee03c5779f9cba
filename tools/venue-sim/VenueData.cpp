#include "tools/venue-sim/VenueData.h"

#include "platform/foundation/Paths.h"
#include "tools/venue-sim/DataFileValues.h"

#include <nlohmann/json.hpp>

#include <set>
#include <stdexcept>
#include <utility>

using nlohmann::json;

namespace {

VenueArea readArea(const json& item)
{
    VenueArea area;
    area.id = dataText(item, "id");
    area.name = dataText(item, "name");
    area.lowLimit = dataText(item, "lowLimit", "0");
    area.priceId = dataText(item, "priceId", "1");
    area.roomMoneyMode = dataText(item, "roomMoneyMode", "0");
    area.settleMode = dataText(item, "settleMode", "0");
    area.printLocate = dataText(item, "printLocate");
    if (area.id.empty() || area.name.empty())
        throw std::runtime_error("a region or room type needs an id and a name");
    return area;
}

template<typename T>
const T* findBy(const std::vector<T>& items, std::string T::*member, const std::string& value)
{
    for (const auto& item : items) {
        if (item.*member == value)
            return &item;
    }
    return nullptr;
}

} // namespace

std::optional<VenueData> VenueData::fromJson(std::string_view source, std::string& error)
{
    try {
        const json root = json::parse(source);
        VenueData data;
        const json& venue = root.at("venue");
        data.m_venueId = dataText(venue, "id");
        data.m_venueName = dataText(venue, "name");

        const json& binding = root.at("binding");
        const std::pair<const char*, const char*> bindingDefaults[] = {
            {"clerk", ""}, {"ShowType", "0"}, {"CanCashMoney", "1"}, {"BoundType", "0"}, {"LoginMode", "0"}, {"CheckInRoomMode", "1"},
        };
        for (const auto& [name, fallback] : bindingDefaults)
            data.m_binding.set(name, dataText(binding, name, fallback));
        data.readServices(root);

        data.readClerks(root);
        for (const auto& item : dataList(root, "regions"))
            data.m_regions.push_back(readArea(item));
        for (const auto& item : dataList(root, "roomTypes"))
            data.m_roomTypes.push_back(readArea(item));
        if (!data.m_binding.clerkNo.empty() && !data.clerkByNumber(data.m_binding.clerkNo))
            throw std::runtime_error("the binding names an unknown clerk " + data.m_binding.clerkNo);

        data.readRooms(root);
        return data;
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
    }
}

void VenueData::readClerks(const json& root)
{
    for (const auto& item : dataList(root, "clerks")) {
        VenueClerk clerk {dataText(item, "number"), dataText(item, "name"), dataText(item, "password"),
                          dataText(item, "group"), dataText(item, "position")};
        if (clerk.number.empty() || clerk.name.empty())
            throw std::runtime_error("a clerk needs a number and a name");
        if (clerkByNumber(clerk.number))
            throw std::runtime_error("clerk " + clerk.number + " is listed twice");
        m_clerks.push_back(std::move(clerk));
    }
}

void VenueData::readRooms(const json& root)
{
    std::set<std::string> numbers;
    for (const auto& item : dataList(root, "rooms")) {
        VenueRoom room;
        room.number = dataText(item, "no");
        room.name = dataText(item, "name", room.number);
        room.typeId = dataText(item, "type");
        room.regionId = dataText(item, "region");
        if (room.number.empty() || !numbers.insert(room.number).second)
            throw std::runtime_error("room \"" + room.number + "\" is unnamed or listed twice");
        const VenueArea* type = roomType(room.typeId);
        if (!type || !region(room.regionId))
            throw std::runtime_error("room " + room.number + " names an unknown type or region");

        RoomDisplayState display = RoomDisplayState::Free;
        const std::string stateKey = dataText(item, "state", "free");
        if (!roomDisplayStateFromKey(stateKey, display))
            throw std::runtime_error("room " + room.number + " has the unknown state \"" + stateKey + "\"");
        room.setDisplayState(display);

        room.bookerNo = dataText(item, "booker");
        if (!room.bookerNo.empty() && !clerkByNumber(room.bookerNo))
            throw std::runtime_error("room " + room.number + " names an unknown booker");
        room.waiterNo = dataText(item, "waiter");
        room.guestName = dataText(item, "guest");
        room.guestCount = dataText(item, "guests");
        room.vipId = dataText(item, "vip");
        room.vipFlag = room.vipId.empty() ? "0" : "1";
        room.reserveTime = dataText(item, "reserved");
        room.arriveTime = dataText(item, "arrival");
        room.checkInTime = dataText(item, "checkIn");
        room.checkOutTime = dataText(item, "checkOut");
        room.masterId = dataText(item, "master");
        room.mergedWith = dataText(item, "mergedWith");
        room.preSettleFlag = dataText(item, "preSettle", "0");
        room.lowLimit = dataAmount(item, "lowLimit", std::stod(type->lowLimit));
        room.foodMoney = dataAmount(item, "food");
        room.roomMoney = dataAmount(item, "roomMoney");
        room.dinnerMoney = dataAmount(item, "dinner");
        room.freeMoney = dataAmount(item, "free");
        readBill(item, room);
        m_rooms.push_back(std::move(room));
    }
}

std::optional<VenueData> VenueData::fromFile(const std::filesystem::path& path, std::string& error)
{
    const auto contents = readFile(path);
    if (!contents) {
        error = "cannot read " + path.string();
        return std::nullopt;
    }
    auto data = fromJson(*contents, error);
    if (!data)
        error = path.string() + ": " + error;
    else
        data->m_folder = path.parent_path();
    return data;
}

std::filesystem::path VenueData::defaultFile()
{
    return Paths::resourcesFolder() / "venue-sim" / "venue.json";
}

const VenueClerk* VenueData::clerkByNumber(const std::string& number) const
{
    return findBy(m_clerks, &VenueClerk::number, number);
}

const VenueClerk* VenueData::clerkByPassword(const std::string& password) const
{
    return password.empty() ? nullptr : findBy(m_clerks, &VenueClerk::password, password);
}

const VenueClerk* VenueData::checkPassword(const std::string& operatorNo, const std::string& password) const
{
    if (operatorNo.empty())
        return clerkByPassword(password);
    const VenueClerk* clerk = clerkByNumber(operatorNo);
    return clerk && !password.empty() && clerk->password == password ? clerk : nullptr;
}

const VenueArea* VenueData::region(const std::string& id) const
{
    return findBy(m_regions, &VenueArea::id, id);
}

const VenueArea* VenueData::roomType(const std::string& id) const
{
    return findBy(m_roomTypes, &VenueArea::id, id);
}

VenueRoom* VenueData::room(const std::string& number)
{
    return const_cast<VenueRoom*>(std::as_const(*this).room(number));
}

const VenueRoom* VenueData::room(const std::string& number) const
{
    return findBy(m_rooms, &VenueRoom::number, number);
}

std::vector<const VenueRoom*> VenueData::roomsMatching(const std::string& typeId, const std::string& regionId) const
{
    std::vector<const VenueRoom*> matching;
    for (const auto& room : m_rooms) {
        if ((typeId.empty() || room.typeId == typeId) && (regionId.empty() || room.regionId == regionId))
            matching.push_back(&room);
    }
    return matching;
}

std::string VenueData::nextMasterId()
{
    std::string serial = std::to_string(++m_masterSerial);
    if (serial.size() < 5)
        serial.insert(0, 5 - serial.size(), '0');
    return "M" + m_venueId + serial;
}
