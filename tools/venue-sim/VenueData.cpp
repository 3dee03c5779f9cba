#include "tools/venue-sim/VenueData.h"

#include "platform/foundation/Paths.h"

#include <nlohmann/json.hpp>

#include <set>
#include <stdexcept>
#include <utility>

using nlohmann::json;

namespace {

// Values may be written as text or as numbers; both become text.
std::string text(const json& object, const char* key, std::string fallback = {})
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return fallback;
    if (it->is_string())
        return it->get<std::string>();
    if (it->is_number_integer())
        return std::to_string(it->get<long long>());
    if (it->is_number())
        return it->dump();
    throw std::runtime_error(std::string("\"") + key + "\" is neither text nor a number");
}

double amount(const json& object, const char* key, double fallback = 0)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return fallback;
    if (it->is_number())
        return it->get<double>();
    if (it->is_string())
        return std::stod(it->get<std::string>());
    throw std::runtime_error(std::string("\"") + key + "\" is not an amount");
}

const json& array(const json& root, const char* key)
{
    const auto it = root.find(key);
    if (it == root.end() || !it->is_array())
        throw std::runtime_error(std::string("\"") + key + "\" must be a list");
    return *it;
}

VenueArea readArea(const json& item)
{
    VenueArea area;
    area.id = text(item, "id");
    area.name = text(item, "name");
    area.lowLimit = text(item, "lowLimit", "0");
    area.priceId = text(item, "priceId", "1");
    area.roomMoneyMode = text(item, "roomMoneyMode", "0");
    area.settleMode = text(item, "settleMode", "0");
    area.printLocate = text(item, "printLocate");
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
        data.m_venueId = text(venue, "id");
        data.m_venueName = text(venue, "name");

        const json& binding = root.at("binding");
        const std::pair<const char*, const char*> bindingDefaults[] = {
            {"clerk", ""}, {"ShowType", "0"}, {"CanCashMoney", "1"}, {"BoundType", "0"}, {"LoginMode", "0"}, {"CheckInRoomMode", "1"},
        };
        for (const auto& [name, fallback] : bindingDefaults)
            data.m_binding.set(name, text(binding, name, fallback));

        for (const auto& item : array(root, "clerks")) {
            VenueClerk clerk {text(item, "number"), text(item, "name"), text(item, "password"),
                              text(item, "group"), text(item, "position")};
            if (clerk.number.empty() || clerk.name.empty())
                throw std::runtime_error("a clerk needs a number and a name");
            if (data.clerkByNumber(clerk.number))
                throw std::runtime_error("clerk " + clerk.number + " is listed twice");
            data.m_clerks.push_back(std::move(clerk));
        }
        for (const auto& item : array(root, "regions"))
            data.m_regions.push_back(readArea(item));
        for (const auto& item : array(root, "roomTypes"))
            data.m_roomTypes.push_back(readArea(item));
        if (!data.m_binding.clerkNo.empty() && !data.clerkByNumber(data.m_binding.clerkNo))
            throw std::runtime_error("the binding names an unknown clerk " + data.m_binding.clerkNo);

        std::set<std::string> numbers;
        for (const auto& item : array(root, "rooms")) {
            VenueRoom room;
            room.number = text(item, "no");
            room.name = text(item, "name", room.number);
            room.typeId = text(item, "type");
            room.regionId = text(item, "region");
            if (room.number.empty() || !numbers.insert(room.number).second)
                throw std::runtime_error("room \"" + room.number + "\" is unnamed or listed twice");
            const VenueArea* type = data.roomType(room.typeId);
            if (!type || !data.region(room.regionId))
                throw std::runtime_error("room " + room.number + " names an unknown type or region");

            RoomDisplayState display = RoomDisplayState::Free;
            const std::string stateKey = text(item, "state", "free");
            if (!roomDisplayStateFromKey(stateKey, display))
                throw std::runtime_error("room " + room.number + " has the unknown state \"" + stateKey + "\"");
            room.setDisplayState(display);

            room.bookerNo = text(item, "booker");
            if (!room.bookerNo.empty() && !data.clerkByNumber(room.bookerNo))
                throw std::runtime_error("room " + room.number + " names an unknown booker");
            room.waiterNo = text(item, "waiter");
            room.guestName = text(item, "guest");
            room.guestCount = text(item, "guests");
            room.vipId = text(item, "vip");
            room.vipFlag = room.vipId.empty() ? "0" : "1";
            room.reserveTime = text(item, "reserved");
            room.arriveTime = text(item, "arrival");
            room.checkInTime = text(item, "checkIn");
            room.checkOutTime = text(item, "checkOut");
            room.masterId = text(item, "master");
            room.mergedWith = text(item, "mergedWith");
            room.preSettleFlag = text(item, "preSettle", "0");
            room.lowLimit = amount(item, "lowLimit", std::stod(type->lowLimit));
            room.foodMoney = amount(item, "food");
            room.roomMoney = amount(item, "roomMoney");
            room.dinnerMoney = amount(item, "dinner");
            room.freeMoney = amount(item, "free");
            data.m_rooms.push_back(std::move(room));
        }
        return data;
    } catch (const std::exception& e) {
        error = e.what();
        return std::nullopt;
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
