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
    auto& client = this->client();
    std::string badCrc = VenueTestClient::frame(60);
    badCrc.back() = static_cast<char>(badCrc.back() ^ 0x10);
    std::string notGb = "000013\r\n60\xFF\xFF";
    notGb.push_back(static_cast<char>(VenueMessage::getCRC(notGb)));
    std::string noCommand = VenueMessage::buildFrame("hello").value();

    ASSERT_TRUE(client.sendRaw(badCrc + notGb + noCommand + VenueTestClient::frame(182)));
    EXPECT_EQ(client.readReply().value_or(ReplyLines("")).command(), 182) << "only the good frame is answered";
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
    ASSERT_TRUE(client().ask(60));

    for (const std::string& garbage : {std::string("GET / HTTP/1.1\r\nHost: x\r\n\r\n"), std::string("000003"),
                                      std::string("\0\0\0\0\0\0\0\0", 8)}) {
        VenueTestClient intruder(port());
        ASSERT_TRUE(intruder.connected());
        ASSERT_TRUE(intruder.sendRaw(garbage));
        EXPECT_TRUE(intruder.waitForClose(2s)) << "a length that is no frame length ends the link";
    }
    EXPECT_TRUE(server().waitForLog("is no frame length", 2s));
    EXPECT_EQ(ask(182).command(), 182) << "the bystander is still served";
    VenueTestClient newcomer(port());
    EXPECT_TRUE(newcomer.ask(60));
}

TEST_F(ServerFraming, ClientsComeAndGoAndEachGetsItsOwnAnswers)
{
    // Two rooms that answer differently: each client must get the details of the room it asked for.
    start({"free", "open"});
    std::vector<std::unique_ptr<VenueTestClient>> clients;
    for (int i = 0; i < 5; ++i)
        clients.push_back(std::make_unique<VenueTestClient>(port()));
    for (std::size_t i = 0; i < clients.size(); ++i)
        ASSERT_TRUE(clients[i]->send(119, {i % 2 ? "A02" : "A01", "", "0"}));
    std::vector<ReplyLines> answers;
    for (auto& client : clients)
        answers.push_back(client->readReply().value_or(ReplyLines("")));
    ASSERT_NE(answers[0].texts(), answers[1].texts());
    for (std::size_t i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i].command(), 119) << i;
        EXPECT_EQ(answers[i].texts(), answers[i % 2].texts()) << i;
    }
    clients.erase(clients.begin(), clients.begin() + 3);
    EXPECT_TRUE(server().waitForLog("client 2 closed", 2s));
    EXPECT_TRUE(clients.back()->ask(60));
    EXPECT_TRUE(server().waitForLog("request 119 fields=[A02||0]", 2s));
}

} // namespace
