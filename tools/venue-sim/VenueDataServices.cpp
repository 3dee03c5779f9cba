// The parts of the venue beyond the hall: menu, member cards, promoters, stored wine, room
// equipment and reports, and the payments the server waits for.
#include "tools/venue-sim/DataFileValues.h"
#include "tools/venue-sim/VenueData.h"

#include <algorithm>
#include <stdexcept>

using nlohmann::json;

namespace {

std::string serialText(const char* prefix, unsigned serial, std::size_t digits)
{
    std::string text = std::to_string(serial);
    if (text.size() < digits)
        text.insert(0, digits - text.size(), '0');
    return prefix + text;
}

std::map<int, std::string> readSettings(const json& section, const char* key)
{
    std::map<int, std::string> settings;
    const auto it = section.find(key);
    if (it == section.end())
        return settings;
    for (const auto& [type, value] : it->items())
        settings[std::stoi(type)] = value.is_string() ? value.get<std::string>() : value.dump();
    return settings;
}

} // namespace

void VenueData::readServices(const json& root)
{
    if (const auto it = root.find("menu"); it != root.end())
        m_menu = VenueMenu::fromJson(*it);

    for (const auto& item : optionalDataList(root, "memberCards")) {
        MemberCard card;
        card.number = dataText(item, "number");
        card.password = dataText(item, "password");
        card.account = dataText(item, "account");
        card.name = dataText(item, "name");
        card.phone = dataText(item, "phone");
        card.level = dataText(item, "level", "普通卡");
        card.state = dataText(item, "state", "正常");
        card.discount = dataText(item, "discount", "1");
        card.points = dataText(item, "points", "0");
        card.balance = dataAmount(item, "balance");
        if (card.number.empty() || card.account.empty() || memberCard(card.number))
            throw std::runtime_error("member card \"" + card.number + "\" has no account or is listed twice");
        m_cards.push_back(std::move(card));
    }

    for (const auto& item : optionalDataList(root, "promoters")) {
        m_promoters.push_back({dataText(item, "id"), dataText(item, "stageName"), dataText(item, "pinyin"),
                               dataText(item, "name"), dataText(item, "staffNo"), dataText(item, "team"),
                               dataFlag(item, "flowers", true)});
        if (m_promoters.back().recordId.empty() || m_promoters.back().stageName.empty())
            throw std::runtime_error("a promoter needs an id and a stage name");
    }

    if (const auto it = root.find("storeWine"); it != root.end())
        m_wine = WineCellar::fromJson(*it);

    if (const auto it = root.find("roomControl"); it != root.end()) {
        const json& control = *it;
        if (const auto library = control.find("songLibrary"); library != control.end())
            m_songLibrary = {dataText(*library, "version"), dataText(*library, "url")};
        for (const auto& channel : optionalDataList(control, "tvChannels"))
            m_channels.push_back({dataText(channel, "name"), dataText(channel, "number")});
        m_equipmentDefaults.volumeMax = dataText(control, "volumeMax", "100");
        m_equipmentDefaults.micMax = dataText(control, "micMax", "100");
        m_equipmentDefaults.effectMax = dataText(control, "effectMax", "10");
        m_equipmentDefaults.lampNames = dataText(control, "lampNames");
        m_equipmentDefaults.lights = readSettings(control, "lights");
        m_equipmentDefaults.audio = readSettings(control, "audio");
    }

    for (const auto& item : optionalDataList(root, "roomReports")) {
        RoomReport saved;
        saved.id = dataText(item, "id", "1");
        for (const auto& value : dataList(item, "values"))
            saved.values.push_back(value.is_string() ? value.get<std::string>() : value.dump());
        if (saved.values.size() != RoomReport::kValueCount)
            throw std::runtime_error("a room report needs " + std::to_string(RoomReport::kValueCount) + " values");
        m_reports[dataText(item, "room")] = std::move(saved);
    }
}

void VenueData::readBill(const json& item, VenueRoom& room)
{
    const json& lines = optionalDataList(item, "bill");
    if (lines.empty()) {
        if (room.foodMoney > 0) {
            const double food = room.foodMoney;
            room.foodMoney = 0;
            room.addToBill(barConsumption(food, room.checkInTime));
        }
        return;
    }
    room.foodMoney = 0;
    for (const auto& line : lines) {
        const MenuDish* dish = m_menu.dish(dataText(line, "dish"));
        if (!dish)
            throw std::runtime_error("the bill of room " + room.number + " names an unknown dish");
        BillItem bill;
        bill.folioId = nextFolioId();
        bill.dishNo = dish->no;
        bill.name = dish->name;
        bill.unit = dish->unit;
        bill.price = dish->price;
        bill.vipPrice = dish->vipPrice;
        bill.quantity = dataAmount(line, "count", 1);
        bill.flag = dataFlag(line, "gift") ? "F" : "N";
        bill.inputClerk = dataText(line, "clerk");
        bill.inputTime = dataText(line, "time", room.checkInTime);
        bill.note = dataText(line, "note");
        bill.groupId = dataText(line, "group", "G0");
        room.addToBill(std::move(bill));
    }
}

MemberCard* VenueData::memberCard(const std::string& number)
{
    const auto it = std::find_if(m_cards.begin(), m_cards.end(), [&](const auto& card) { return card.number == number; });
    return number.empty() || it == m_cards.end() ? nullptr : &*it;
}

RoomEquipment& VenueData::equipment(const std::string& roomNo)
{
    auto [it, created] = m_equipment.try_emplace(roomNo);
    if (created) {
        it->second.lights = m_equipmentDefaults.lights;
        it->second.audio = m_equipmentDefaults.audio;
        if (!m_channels.empty())
            it->second.channel = m_channels.front().number;
    }
    return it->second;
}

RoomReport VenueData::report(const std::string& roomNo) const
{
    if (const auto it = m_reports.find(roomNo); it != m_reports.end())
        return it->second;
    // 38 ratings at 5 with the seven remarks empty, at the places the report puts them.
    RoomReport fresh;
    fresh.values.assign(RoomReport::kValueCount, "5");
    for (std::size_t remark : {7u, 10u, 17u, 26u, 31u, 40u, 44u})
        fresh.values[remark].clear();
    return fresh;
}

void VenueData::saveReport(const std::string& roomNo, RoomReport report)
{
    m_reports[roomNo] = std::move(report);
}

PendingPayment& VenueData::addPayment(PendingPayment payment)
{
    payment.orderNo = serialText("P", ++m_paymentSerial, 8);
    m_payments.push_back(std::move(payment));
    return m_payments.back();
}

PendingPayment* VenueData::payment(const std::string& orderNo)
{
    const auto it = std::find_if(m_payments.begin(), m_payments.end(), [&](const auto& p) { return p.orderNo == orderNo; });
    return it == m_payments.end() ? nullptr : &*it;
}

std::string VenueData::nextFolioId()
{
    return serialText("F", ++m_folioSerial, 6);
}

std::string VenueData::nextOrderGroup()
{
    return serialText("G", ++m_groupSerial, 4);
}

BillItem VenueData::barConsumption(double amount, std::string time)
{
    BillItem item;
    item.folioId = nextFolioId();
    item.name = "吧台消费";
    item.unit = "单";
    item.price = item.vipPrice = amount;
    item.quantity = 1;
    item.inputTime = std::move(time);
    item.groupId = "G0";
    return item;
}
