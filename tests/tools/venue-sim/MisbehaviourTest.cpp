#include "tests/tools/venue-sim/VenueServerFixture.h"
#include "tools/venue-sim/VenueSimOptions.h"

#include "session/VenueMessage.h"

#include <chrono>

namespace {

using namespace std::chrono_literals;

class Misbehaviour : public VenueServerFixture {};

TEST_F(Misbehaviour, MalformedRepliesAreBrokenTheWayAsked)
{
    VenueServerOptions options;
    options.malformed = {{60, FrameMalformation::BadCrc}, {182, FrameMalformation::BadDigits},
                         {102, FrameMalformation::BadEncoding}};
    start({"free"}, options);
    auto& client = this->client();
    ASSERT_TRUE(client.send(60));
    const auto badCrc = client.readFrame();
    ASSERT_TRUE(badCrc);
    EXPECT_EQ(VenueMessage::announcedLength(*badCrc), badCrc->size()) << "the length is still right";
    EXPECT_FALSE(VenueMessage::checkIfVaildMsg(*badCrc));

    ASSERT_TRUE(client.send(102, {"0", "", "", "2580", "", "", ""}));
    const auto badText = client.readFrame();
    ASSERT_TRUE(badText);
    EXPECT_TRUE(VenueMessage::checkIfVaildMsg(*badText));
    EXPECT_FALSE(VenueMessage::decodeFrame(*badText)) << "the CRC checks but the body does not decode";

    EXPECT_TRUE(client.ask(161, {"1", "0", "1", "8801", "", ""})) << "other commands are answered normally";

    ASSERT_TRUE(client.send(182, {""}));
    const auto badDigits = client.readFrame();
    ASSERT_TRUE(badDigits);
    EXPECT_FALSE(VenueMessage::announcedLength(*badDigits));
    EXPECT_TRUE(server().waitForLog("sent malformed (digits)", 2s));
}

TEST_F(Misbehaviour, AClientThatNeverReadsIsCutOff)
{
    VenueServerOptions options;
    options.maxPendingOutput = 64 * 1024;
    start({"free", "open", "booked"}, options);
    std::string requests;
    for (int i = 0; i < 200; ++i)
        requests += VenueTestClient::frame(161, {"1", "0", "1", "8801", "", ""});
    // The socket buffers hold some replies; the rest piles up at the server until the limit.
    for (int round = 0; round < 400 && !server().waitForLog("does not read its replies", std::chrono::milliseconds(1)); ++round) {
        if (!client().sendRaw(requests))
            break;
    }
    EXPECT_TRUE(server().waitForLog("does not read its replies", 5s));
    VenueTestClient other(port());
    EXPECT_TRUE(other.ask(60)) << "the server goes on for everyone else";
}

TEST(VenueSimOptions, ReadsTheCommandLine)
{
    std::string error;
    const auto options = VenueSimOptions::parse({"--port", "5123", "--data", "/tmp/v.json", "--refuse", "161", "--refuse", "96",
                                                 "--malformed", "60", "--malformed", "182:encoding", "--drop-after", "3",
                                                 "--no-drift", "--log", "/tmp/v.log", "--seed", "7",
                                                 "--binding", "BoundType=1", "--binding", "clerk="},
                                                error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->port, 5123);
    EXPECT_EQ(options->dataFile, "/tmp/v.json");
    EXPECT_EQ(options->logFile, std::filesystem::path("/tmp/v.log"));
    EXPECT_EQ(options->server.refused, (std::set<int> {96, 161}));
    EXPECT_EQ(options->server.malformed.at(60), FrameMalformation::BadCrc);
    EXPECT_EQ(options->server.malformed.at(182), FrameMalformation::BadEncoding);
    EXPECT_EQ(options->server.dropAfterReplies, 3u);
    EXPECT_FALSE(options->server.drift);
    EXPECT_EQ(options->server.driftSeed, 7u);
    using Binding = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(options->binding, (Binding {{"BoundType", "1"}, {"clerk", ""}}));
    EXPECT_TRUE(VenueSimOptions::parse({}, error).value().server.drift) << "the floor drifts unless told not to";
}

TEST(VenueSimOptions, RefusesWhatItCannotUse)
{
    const std::vector<std::vector<std::string>> bad {
        {"--port"}, {"--port", "70000"}, {"--port", "12ab"}, {"--refuse", "abc"}, {"--refuse", "0"},
        {"--malformed", "60:sideways"}, {"--malformed", "60:none"}, {"--drop-after", "0"}, {"--drop-after", "-1"},
        {"--drift-interval", "0"}, {"--frobnicate", "1"}, {"stray"}, {"--binding", "LoginMode"},
        {"--binding", "Colour=red"},
    };
    for (const auto& arguments : bad) {
        std::string error;
        EXPECT_FALSE(VenueSimOptions::parse(arguments, error)) << arguments.front();
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
