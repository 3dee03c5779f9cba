#pragma once

#include "tools/venue-sim/HallBinding.h"
#include "tools/venue-sim/MemberCard.h"
#include "tools/venue-sim/PendingPayment.h"
#include "tools/venue-sim/Promoter.h"
#include "tools/venue-sim/RoomEquipment.h"
#include "tools/venue-sim/RoomReport.h"
#include "tools/venue-sim/VenueArea.h"
#include "tools/venue-sim/VenueClerk.h"
#include "tools/venue-sim/VenueMenu.h"
#include "tools/venue-sim/VenueRoom.h"
#include "tools/venue-sim/WineCellar.h"

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The venue the server plays: identity, hall binding, staff, regions, room types and rooms, and
// what the ordering, billing and bar replies need (menu, member cards, promoters, stored wine,
// TV channels, the rooms' equipment and reports), loaded from a JSON data file. Rooms, cards,
// stored wine, equipment, reports and payments change as requests and the drift timer act on
// them; the rest stays as loaded.
class VenueData {
public:
    static std::optional<VenueData> fromJson(std::string_view json, std::string& error);
    static std::optional<VenueData> fromFile(const std::filesystem::path& path, std::string& error);
    // resources/venue-sim/venue.json
    static std::filesystem::path defaultFile();

    const std::string& venueId() const { return m_venueId; }
    const std::string& venueName() const { return m_venueName; }
    // Where the files the data names (the dishes' pictures) are found: the data file's folder.
    const std::filesystem::path& folder() const { return m_folder; }
    const HallBinding& binding() const { return m_binding; }
    HallBinding& binding() { return m_binding; }
    const std::vector<VenueClerk>& clerks() const { return m_clerks; }
    const std::vector<VenueArea>& regions() const { return m_regions; }
    const std::vector<VenueArea>& roomTypes() const { return m_roomTypes; }
    const std::vector<VenueRoom>& rooms() const { return m_rooms; }
    std::vector<VenueRoom>& rooms() { return m_rooms; }

    const VenueClerk* clerkByNumber(const std::string& number) const;
    const VenueClerk* clerkByPassword(const std::string& password) const;
    // The clerk a password belongs to: the named operator's own password when an operator is
    // named, anyone's when not. An empty password belongs to nobody.
    const VenueClerk* checkPassword(const std::string& operatorNo, const std::string& password) const;
    const VenueArea* region(const std::string& id) const;
    const VenueArea* roomType(const std::string& id) const;
    VenueRoom* room(const std::string& number);
    const VenueRoom* room(const std::string& number) const;
    // Rooms in data-file order; an empty id matches every room.
    std::vector<const VenueRoom*> roomsMatching(const std::string& typeId, const std::string& regionId) const;

    // A fresh bill id for a room that opens.
    std::string nextMasterId();

    const VenueMenu& menu() const { return m_menu; }
    const std::vector<MemberCard>& memberCards() const { return m_cards; }
    MemberCard* memberCard(const std::string& number);
    const std::vector<Promoter>& promoters() const { return m_promoters; }
    WineCellar& wineCellar() { return m_wine; }
    const WineCellar& wineCellar() const { return m_wine; }
    const std::vector<TvChannel>& tvChannels() const { return m_channels; }
    const SongLibrary& songLibrary() const { return m_songLibrary; }
    const EquipmentDefaults& equipmentDefaults() const { return m_equipmentDefaults; }
    // A room's equipment, starting from the defaults the first time it is asked for.
    RoomEquipment& equipment(const std::string& roomNo);
    // A room's saved report, or a fresh one with every rating at its best.
    RoomReport report(const std::string& roomNo) const;
    void saveReport(const std::string& roomNo, RoomReport report);

    PendingPayment& addPayment(PendingPayment payment);
    PendingPayment* payment(const std::string& orderNo);

    std::string nextFolioId();
    std::string nextOrderGroup();
    // A bill line for consumption that no dish names (the drift's, and the rooms' before start).
    BillItem barConsumption(double amount, std::string time);

private:
    // The sections of the data file beyond the hall (VenueDataServices.cpp).
    void readServices(const nlohmann::json& root);
    void readClerks(const nlohmann::json& root);
    void readRooms(const nlohmann::json& root);
    // A room's "bill" list, or one line for its "food" money when it has none.
    void readBill(const nlohmann::json& item, VenueRoom& room);

    std::string m_venueId;
    std::string m_venueName;
    std::filesystem::path m_folder = defaultFile().parent_path();
    HallBinding m_binding;
    std::vector<VenueClerk> m_clerks;
    std::vector<VenueArea> m_regions;
    std::vector<VenueArea> m_roomTypes;
    std::vector<VenueRoom> m_rooms;
    unsigned m_masterSerial = 0;

    VenueMenu m_menu;
    std::vector<MemberCard> m_cards;
    std::vector<Promoter> m_promoters;
    WineCellar m_wine;
    std::vector<TvChannel> m_channels;
    SongLibrary m_songLibrary;
    EquipmentDefaults m_equipmentDefaults;
    std::map<std::string, RoomEquipment> m_equipment;
    std::map<std::string, RoomReport> m_reports;
    std::vector<PendingPayment> m_payments;
    unsigned m_folioSerial = 0;
    unsigned m_groupSerial = 0;
    unsigned m_paymentSerial = 0;
};
