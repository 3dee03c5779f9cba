#pragma once

#include "tests/tools/venue-sim/SampleVenue.h"
#include "tests/tools/venue-sim/VenueTestClient.h"
#include "tools/venue-sim/RoomDisplayState.h"
#include "tools/venue-sim/VenueServerThread.h"

#include <gtest/gtest.h>

#include <memory>

// Starts a server over a sample venue, without drift unless asked, and one client on it.
class VenueServerFixture : public ::testing::Test {
protected:
    void start(VenueData data, VenueServerOptions options = {}, bool drift = false)
    {
        options.drift = drift;
        m_client.reset();
        m_server = std::make_unique<VenueServerThread>(std::move(data), options);
        m_client = std::make_unique<VenueTestClient>(port());
        ASSERT_TRUE(m_server->running()) << m_server->error();
    }
    void start(const std::vector<std::string>& states, VenueServerOptions options = {}, bool drift = false)
    {
        start(sampleVenue(states), options, drift);
    }
    VenueServerThread& server() { return *m_server; }
    std::uint16_t port() const { return m_server->port(); }
    VenueTestClient& client() { return *m_client; }

    // The reply, or an empty one (which no check accepts) when none came.
    ReplyLines ask(int command, const std::vector<std::string>& fields = {})
    {
        auto reply = m_client->ask(command, fields);
        EXPECT_TRUE(reply) << "no reply to " << command;
        return reply ? std::move(*reply) : ReplyLines("");
    }

    // The rooms of a 161 reply as the tablet reads them: 34-line runs from line 21, each with its
    // number and its display state worked out from lines 2 to 4 of the run.
    static std::vector<std::pair<std::string, RoomDisplayState>> roomsOf(const ReplyLines& reply)
    {
        std::vector<std::pair<std::string, RoomDisplayState>> rooms;
        for (std::size_t s = 21; s + 33 < reply.count(); s += 34)
            rooms.emplace_back(reply[s], roomDisplayState(reply[s + 2], reply[s + 3], reply[s + 4]));
        return rooms;
    }

private:
    std::unique_ptr<VenueServerThread> m_server;
    std::unique_ptr<VenueTestClient> m_client;
};

// The same over the venue of resources/venue-sim.
class ShippedVenueFixture : public VenueServerFixture {
protected:
    void SetUp() override
    {
        std::string error;
        auto data = VenueData::fromFile(VenueData::defaultFile(), error);
        ASSERT_TRUE(data) << error;
        start(std::move(*data));
    }
};
