#pragma once

#include "tests/tools/venue-sim/VenueTestClient.h"
#include "tools/venue-sim/VenueServerThread.h"

#include <gtest/gtest.h>

#include <memory>

// A server over the venue of resources/venue-sim, without drift, and one client on it.
class ShippedVenueFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        auto data = VenueData::fromFile(VenueData::defaultFile(), error);
        ASSERT_TRUE(data) << error;
        VenueServerOptions options;
        options.drift = false;
        m_server = std::make_unique<VenueServerThread>(std::move(*data), options);
        ASSERT_TRUE(m_server->running()) << m_server->error();
        m_client = std::make_unique<VenueTestClient>(m_server->port());
    }

    // The reply, or an empty one (which no check accepts) when none came.
    ReplyLines ask(int command, const std::vector<std::string>& fields = {})
    {
        auto reply = m_client->ask(command, fields);
        EXPECT_TRUE(reply) << "no reply to " << command;
        return reply ? std::move(*reply) : ReplyLines("");
    }
    VenueTestClient& client() { return *m_client; }

private:
    std::unique_ptr<VenueServerThread> m_server;
    std::unique_ptr<VenueTestClient> m_client;
};
