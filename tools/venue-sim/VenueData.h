#pragma once

#include "tools/venue-sim/HallBinding.h"
#include "tools/venue-sim/VenueArea.h"
#include "tools/venue-sim/VenueClerk.h"
#include "tools/venue-sim/VenueRoom.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The venue the server plays: identity, hall binding, staff, regions, room types and rooms,
// loaded from a JSON data file. The rooms change as requests and the drift timer act on them;
// the rest stays as loaded.
class VenueData {
public:
    static std::optional<VenueData> fromJson(std::string_view json, std::string& error);
    static std::optional<VenueData> fromFile(const std::filesystem::path& path, std::string& error);
    // resources/venue-sim/venue.json
    static std::filesystem::path defaultFile();

    const std::string& venueId() const { return m_venueId; }
    const std::string& venueName() const { return m_venueName; }
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

private:
    std::string m_venueId;
    std::string m_venueName;
    HallBinding m_binding;
    std::vector<VenueClerk> m_clerks;
    std::vector<VenueArea> m_regions;
    std::vector<VenueArea> m_roomTypes;
    std::vector<VenueRoom> m_rooms;
    unsigned m_masterSerial = 0;
};
