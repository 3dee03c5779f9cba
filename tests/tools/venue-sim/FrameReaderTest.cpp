#include "tools/venue-sim/FrameReader.h"

#include "session/VenueMessage.h"

#include <gtest/gtest.h>

namespace {

using Kind = FrameReader::Event::Kind;

std::string frameOf(const std::string& body)
{
    return VenueMessage::buildFrame(body).value();
}

TEST(FrameReader, CutsFramesOneAfterAnotherWhateverTheReadsHold)
{
    const std::string first = frameOf("\r\n60\r\n");
    const std::string second = frameOf("\r\n102\r\n0\r\n\r\n\r\n王丽\r\n");
    FrameReader reader;
    reader.append(first + second.substr(0, 3)); // the second frame cut inside its digits
    auto event = reader.next();
    ASSERT_TRUE(event);
    EXPECT_EQ(event->kind, Kind::Frame);
    EXPECT_EQ(event->text, first.substr(0, first.size() - 1));
    EXPECT_FALSE(reader.next());

    reader.append(second.substr(3, 10)); // digits complete, body not
    EXPECT_FALSE(reader.next());
    reader.append(second.substr(13));
    event = reader.next();
    ASSERT_TRUE(event);
    EXPECT_EQ(event->kind, Kind::Frame);
    EXPECT_NE(event->text.find("王丽"), std::string::npos) << "the body is decoded from GB18030";
    EXPECT_EQ(event->size, second.size());
    EXPECT_FALSE(reader.next());
    EXPECT_EQ(reader.buffered(), 0u);
}

TEST(FrameReader, ALengthThatIsNoFrameLengthStopsTheStreamForGood)
{
    for (const std::string garbage : {"GET / HTTP/1.1\r\n", "000003abc", "000000", "-00010xxxxxxxxx", "00 012xxxxxxxx"}) {
        FrameReader reader;
        reader.append(garbage);
        for (int i = 0; i < 3; ++i) {
            const auto event = reader.next();
            ASSERT_TRUE(event) << garbage;
            EXPECT_EQ(event->kind, Kind::BadLength) << garbage;
            EXPECT_EQ(event->text, garbage.substr(0, 6));
        }
    }
    FrameReader reader;
    reader.append("00001"); // five digits: not yet decidable
    EXPECT_FALSE(reader.next());
}

} // namespace
