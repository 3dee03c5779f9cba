#include "tests/tools/venue-sim/VenueSimProcess.h"
#include "tests/tools/venue-sim/VenueTestClient.h"

#include "platform/foundation/Paths.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

fs::path scratchFile(const std::string& name)
{
    return fs::temp_directory_path() / ("venue-sim-test-" + std::to_string(::getpid()) + "-" + name);
}

TEST(VenueSimProgram, ServesLogsAndStopsOnSignals)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        const fs::path log = scratchFile("requests.log");
        fs::remove(log);
        VenueSimProcess process({"--port", "0", "--no-drift", "--log", log.string()});
        const std::uint16_t port = process.waitForPort();
        ASSERT_NE(port, 0);
        EXPECT_NE(process.picturePort(), 0);

        VenueTestClient client(port);
        EXPECT_EQ(client.ask(182, {""}).value_or(ReplyLines("")).errorCode(), "0");
        EXPECT_TRUE(client.ask(161, {"1", "25", "1", "8805", "", ""}));

        EXPECT_EQ(process.stop(signal), 0);
        const auto text = readFile(log);
        ASSERT_TRUE(text);
        EXPECT_NE(text->find("request 182 fields=[]\n"), std::string::npos) << *text;
        EXPECT_NE(text->find("request 161 fields=[1|25|1|8805||]\n"), std::string::npos);
        EXPECT_NE(text->find("stopped by signal " + std::to_string(signal)), std::string::npos);
        fs::remove(log);
        VenueTestClient late(port);
        EXPECT_FALSE(late.connected()) << "nothing listens after the stop";
    }
}

TEST(VenueSimProgram, MisbehavesWhenToldOnTheCommandLine)
{
    VenueSimProcess process({"--no-drift", "--refuse", "182", "--drop-after", "2", "--binding", "LoginMode=1"});
    const std::uint16_t port = process.waitForPort();
    ASSERT_NE(port, 0);
    VenueTestClient client(port);
    EXPECT_EQ(client.ask(182, {""}).value_or(ReplyLines("")).errorCode(), "1");
    const auto bound = client.ask(90, {"UDID", "", "0", ""}).value_or(ReplyLines(""));
    EXPECT_EQ(bound[9], "1") << "the binding option overrides the data file";
    EXPECT_TRUE(client.waitForClose(3s));
    const auto line = process.readLine(3s);
    ASSERT_TRUE(line) << "requests are logged on standard output by default";
    EXPECT_EQ(line->rfind("client 1 connected", 0), 0u) << *line;
}

TEST(VenueSimProgram, BadStartsSayWhyAndFail)
{
    VenueSimProcess badOption({"--drop-after", "none"});
    EXPECT_EQ(badOption.waitForExit(), 2);
    EXPECT_FALSE(badOption.readLine(1s)) << "no listening line";

    const fs::path broken = scratchFile("broken.json");
    ASSERT_TRUE(writeFileAtomically(broken, "{\"venue\": {\"id\": 1}}"));
    VenueSimProcess badData({"--data", broken.string()});
    EXPECT_EQ(badData.waitForExit(), 1);
    fs::remove(broken);
}

TEST(VenueSimProgram, DiesWithTheProcessThatStartedIt)
{
    // A shell starts the server in the background and exits; the server must follow it.
    const std::string command = VenueSimProcess::binary() + " --no-drift & sleep 0.5";
    FILE* between = ::popen(command.c_str(), "r");
    ASSERT_TRUE(between);
    char line[128] = {};
    const bool printed = std::fgets(line, sizeof line, between) != nullptr;
    ASSERT_NE(::pclose(between), -1);
    const std::string prefix = "listening on 127.0.0.1:";
    ASSERT_TRUE(printed && std::string(line).rfind(prefix, 0) == 0) << line;
    const auto port = static_cast<std::uint16_t>(std::stoi(std::string(line).substr(prefix.size())));

    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        VenueTestClient probe(port);
        gone = !probe.connected();
        if (!gone)
            std::this_thread::sleep_for(50ms);
    }
    EXPECT_TRUE(gone) << "the server outlived the process that started it";
}

} // namespace
