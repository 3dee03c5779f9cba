#include "tools/venue-sim/VenueRequest.h"

#include "session/VenueMessage.h"

#include <gtest/gtest.h>

namespace {

std::string textOf(const std::string& body)
{
    return VenueMessage::decodeFrame(VenueMessage::buildFrame(body).value()).value();
}

TEST(VenueRequest, ReadsBothSendFormsToTheSameFields)
{
    const std::vector<std::string> fields {"1", "25", "1", "8801", "", ""};
    const auto listed = VenueRequest::parse(textOf(VenueMessage::fieldListBody(161, fields)));
    const auto joined = VenueRequest::parse(textOf(VenueMessage::arrayBody(161, fields)));
    ASSERT_TRUE(listed);
    ASSERT_TRUE(joined);
    EXPECT_EQ(listed->command(), 161);
    EXPECT_EQ(listed->fields(), fields);
    EXPECT_EQ(listed->describe(), "request 161 fields=[1|25|1|8801||]");
    // The joined form cannot show an empty last field; handlers read a missing field as empty.
    EXPECT_EQ(joined->fields(), std::vector<std::string>({"1", "25", "1", "8801", ""}));
    EXPECT_EQ(joined->field(5), "");
    EXPECT_EQ(joined->field(99), "");
}

TEST(VenueRequest, TextWithoutACommandNumberIsNoRequest)
{
    for (const std::string body : {"", "hello", "\r\n\r\n1", "\r\nabc\r\n", "\r\n-5\r\n", "\r\n12x\r\n", "\r\n1234567890\r\n"})
        EXPECT_FALSE(VenueRequest::parse(textOf(body))) << body;
    const auto chinese = VenueRequest::parse(textOf("\r\n110\r\n0\r\n8801\r\n2580\r\nA01\r\nIPAD檀溪墨记\r\n"));
    ASSERT_TRUE(chinese);
    EXPECT_EQ(chinese->field(4), "IPAD檀溪墨记");
    EXPECT_TRUE(chinese->hasField("2580"));
    EXPECT_FALSE(chinese->hasField("258"));
}

} // namespace
