#include "tools/venue-sim/VenueData.h"

#include "platform/foundation/TextEncoding.h"
#include "tests/tools/venue-sim/SampleVenue.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>

namespace {

TEST(VenueData, TheShippedVenueIsWholeAndPlausible)
{
    std::string error;
    const auto data = VenueData::fromFile(VenueData::defaultFile(), error);
    ASSERT_TRUE(data) << error;

    EXPECT_FALSE(data->venueId().empty());
    EXPECT_TRUE(TextEncoding::toGB18030(data->venueName())) << "every text must travel in GB18030";

    std::set<std::string> passwords;
    for (const auto& clerk : data->clerks()) {
        EXPECT_FALSE(clerk.password.empty()) << clerk.number;
        EXPECT_TRUE(passwords.insert(clerk.password).second) << "password of " << clerk.number << " is shared";
    }
    std::set<RoomDisplayState> states;
    std::set<std::string> regionsUsed;
    for (const auto& room : data->rooms()) {
        states.insert(room.displayState());
        regionsUsed.insert(room.regionId);
        EXPECT_TRUE(TextEncoding::toGB18030(room.name + room.guestName)) << room.number;
        EXPECT_GT(room.lowLimit, 0) << room.number;
        if (room.displayState() == RoomDisplayState::Open) {
            EXPECT_FALSE(room.masterId.empty()) << room.number << " is open without a bill";
        }
        if (!room.mergedWith.empty()) {
            EXPECT_TRUE(data->room(room.mergedWith)) << room.number;
        }
    }
    EXPECT_EQ(states.size(), static_cast<std::size_t>(kRoomDisplayStateCount)) << "every state shows on the floor";
    EXPECT_EQ(regionsUsed.size(), data->regions().size());
}

TEST(VenueData, RejectsFilesThatWouldAnswerNonsense)
{
    const auto base = nlohmann::json::parse(sampleVenueJson({"free", "open"}));
    struct Case {
        const char* what;
        std::function<void(nlohmann::json&)> spoil;
    };
    const Case cases[] = {
        {"unknown region", [](auto& j) { j["rooms"][0]["region"] = "9"; }},
        {"unknown type", [](auto& j) { j["rooms"][1]["type"] = "9"; }},
        {"twice", [](auto& j) { j["rooms"][1]["no"] = "A01"; }},
        {"unknown state", [](auto& j) { j["rooms"][0]["state"] = "busy"; }},
        {"unknown booker", [](auto& j) { j["rooms"][1]["booker"] = "9999"; }},
        {"binding clerk", [](auto& j) { j["binding"]["clerk"] = "9999"; }},
        {"clerk twice", [](auto& j) { j["clerks"][1]["number"] = "8801"; }},
        {"no rooms list", [](auto& j) { j.erase("rooms"); }},
        {"object as text", [](auto& j) { j["venue"]["name"] = nlohmann::json::object(); }},
    };
    for (const auto& c : cases) {
        auto spoilt = base;
        c.spoil(spoilt);
        std::string error;
        EXPECT_FALSE(VenueData::fromJson(spoilt.dump(), error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    std::string error;
    EXPECT_FALSE(VenueData::fromJson("{\"venue\": ", error));
    EXPECT_FALSE(VenueData::fromFile("/nonexistent/venue.json", error));
    EXPECT_NE(error.find("/nonexistent/venue.json"), std::string::npos);
}

} // namespace
