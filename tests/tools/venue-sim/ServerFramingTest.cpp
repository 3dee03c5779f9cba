#include "tests/tools/venue-sim/VenueServerFixture.h"

#include "session/VenueMessage.h"

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

class ServerFraming : public VenueServerFixture {};

TEST_F(ServerFraming, BrokenFramesAreDroppedAndTheLinkGoesOn)
{
    start({"free"});
    VenueTestClient client(port());
    std::string badCrc = VenueTestClient::frame(60);
    badCrc.back() = static_cast<char>(badCrc.back() ^ 0x10);
    std::string notGb = "000013\r\n60\xFF\xFF";
    notGb.push_back(static_cast<char>(VenueMessage::getCRC(notGb)));
    std::string noCommand = VenueMessage::buildFrame("hello").value();

    ASSERT_TRUE(client.sendRaw(badCrc + notGb + noCommand + VenueTestClient::frame(182)));
    const auto reply = client.readReply();
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command(), 182) << "only the good frame is answered";
    EXPECT_TRUE(client.staysQuiet(150ms));
    EXPECT_TRUE(server().waitForLog("bad CRC", 2s));
    EXPECT_TRUE(server().waitForLog("not GB18030", 2s));
    EXPECT_TRUE(server().waitForLog("without a command", 2s));

    // A command the server has no reply for gets silence and a log line, not a closed link.
    ASSERT_TRUE(client.send(4, {"0", "0"}));
    EXPECT_TRUE(client.staysQuiet(150ms));
    EXPECT_TRUE(server().waitForLog("command 4 has no reply", 2s));
    EXPECT_TRUE(client.ask(60));
}

TEST_F(ServerFraming, GarbageEndsThatLinkOnlyAndIsLogged)
{
    start({"free"});
    VenueTestClient bystander(port());
    ASSERT_TRUE(bystander.ask(60));

    for (const std::string& garbage : {std::string("GET / HTTP/1.1\r\nHost: x\r\n\r\n"), std::string("000003"),
                                      std::string("\0\0\0\0\0\0\0\0", 8)}) {
        VenueTestClient intruder(port());
        ASSERT_TRUE(intruder.connected());
        ASSERT_TRUE(intruder.sendRaw(garbage));
        EXPECT_TRUE(intruder.waitForClose(2s)) << "a length that is no frame length ends the link";
    }
    EXPECT_TRUE(server().waitForLog("is no frame length", 2s));
    const auto stillThere = bystander.ask(182);
    ASSERT_TRUE(stillThere);
    EXPECT_EQ(stillThere->command(), 182);
    VenueTestClient newcomer(port());
    EXPECT_TRUE(newcomer.ask(60));
}

TEST_F(ServerFraming, ClientsComeAndGoAndEachGetsItsOwnAnswers)
{
    start({"free", "free"});
    std::vector<std::unique_ptr<VenueTestClient>> clients;
    for (int i = 0; i < 5; ++i)
        clients.push_back(std::make_unique<VenueTestClient>(port()));
    for (std::size_t i = 0; i < clients.size(); ++i)
        ASSERT_TRUE(clients[i]->send(119, {i % 2 ? "A02" : "A01", "", "0"}));
    for (std::size_t i = 0; i < clients.size(); ++i) {
        const auto reply = clients[i]->readReply();
        ASSERT_TRUE(reply) << i;
        EXPECT_EQ(reply->command(), 119);
    }
    clients.erase(clients.begin(), clients.begin() + 3);
    EXPECT_TRUE(server().waitForLog("client 1 closed", 2s));
    EXPECT_TRUE(clients.back()->ask(60));
    EXPECT_TRUE(server().waitForLog("request 119 fields=[A02||0]", 2s));
}

} // namespace
