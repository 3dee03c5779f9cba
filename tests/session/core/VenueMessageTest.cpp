#include "session/FrameReceiver.h"
#include "session/ReplyLines.h"
#include "session/VenueMessage.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace VenueMessage;

namespace {
std::string bytes(std::initializer_list<unsigned char> list)
{
    return std::string(list.begin(), list.end());
}
} // namespace

TEST(VenueMessage, CrcCheckValues)
{
    const std::string check = "123456789";
    EXPECT_EQ(getCRC(reinterpret_cast<const std::uint8_t*>(check.data()), 9), 0xA1);
    EXPECT_EQ(getCRC(check), 0xA1);
    EXPECT_EQ(getCRC(reinterpret_cast<const std::uint8_t*>(check.data()), 0), 0);
    EXPECT_EQ(getCRC(reinterpret_cast<const std::uint8_t*>(check.data()), -5), 0);
    // The table form agrees with the bit-by-bit definition on every single byte.
    for (int b = 0; b < 256; ++b) {
        std::uint8_t reg = static_cast<std::uint8_t>(b);
        for (int i = 0; i < 8; ++i)
            reg = (reg & 1) ? static_cast<std::uint8_t>((reg >> 1) ^ 0x8C) : static_cast<std::uint8_t>(reg >> 1);
        const auto one = static_cast<std::uint8_t>(b);
        ASSERT_EQ(getCRC(&one, 1), reg) << b;
    }
}

TEST(VenueMessage, WorkedRequestFramesOfBothForms)
{
    auto fieldList = fieldListFrame(4, {"0", "0"});
    ASSERT_TRUE(fieldList);
    EXPECT_EQ(*fieldList, bytes({'0', '0', '0', '0', '1', '8', 0x0D, 0x0A, '4', 0x0D, 0x0A, '0', 0x0D, 0x0A, '0',
                                 0x0D, 0x0A, 0x67}));
    auto array = arrayFrame(4, {"0", "0"});
    ASSERT_TRUE(array);
    EXPECT_EQ(array->size(), 16u);
    EXPECT_EQ(array->substr(0, 6), "000016");
    EXPECT_EQ(array->substr(6, 9), "\r\n4\r\n0\r\n0");
    EXPECT_TRUE(checkIfVaildMsg(*array));
    EXPECT_FALSE(checkIfVaildMsg(""));

    // No fields: both forms give the same 13-byte frame for a two-digit command.
    auto empty = fieldListFrame(60, {});
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size(), 13u);
    EXPECT_EQ(empty->substr(0, 12), "000013\r\n60\r\n");
    EXPECT_EQ(*empty, *arrayFrame(60, {}));
}

TEST(VenueMessage, BodyLengthCountsGB18030Bytes)
{
    auto frame = fieldListFrame(102, {"张三"});
    ASSERT_TRUE(frame);
    // "\r\n102\r\n" (7) + two characters of two bytes (4) + "\r\n" (2) + 7
    EXPECT_EQ(frame->size(), 20u);
    EXPECT_EQ(frame->substr(0, 6), "000020");
    EXPECT_EQ(decodeFrame(*frame), "000020\r\n102\r\n张三\r\n");
}

TEST(VenueMessage, RefusesWhatCannotBeFramedSafely)
{
    LogCapture log;
    EXPECT_FALSE(fieldListFrame(96, {"8801", "room\r\n1"}));
    EXPECT_FALSE(arrayFrame(96, {"a\nb"}));
    EXPECT_TRUE(log.contains("line break"));
    EXPECT_FALSE(buildFrame("bad \xC3"));
    EXPECT_TRUE(buildFrame(std::string(kMaximumBody, 'x')));
    EXPECT_FALSE(buildFrame(std::string(kMaximumBody + 1, 'x')));
    // Two GB18030 bytes per character: half the limit in characters is just over it.
    std::string wide;
    for (std::size_t i = 0; i < kMaximumBody / 2 + 1; ++i)
        wide += "房";
    EXPECT_FALSE(buildFrame(wide));
    EXPECT_TRUE(log.contains("longer than a frame can hold"));
}

TEST(VenueMessage, AnnouncedLengthNeedsSixDigits)
{
    EXPECT_EQ(announcedLength("000018xyz"), 18u);
    EXPECT_FALSE(announcedLength("00001"));
    EXPECT_FALSE(announcedLength("-00018"));
    EXPECT_FALSE(announcedLength("00 018"));
    EXPECT_EQ(announcedLength("000000"), 0u);
}

TEST(ReplyLines, SplitsOnTheTwoCharacterSeparator)
{
    ReplyLines lines("000030\r\n161\r\n0\r\n\r\n25\r\na\rb\nc\r\n");
    ASSERT_EQ(lines.count(), 7u);
    EXPECT_EQ(lines.command(), 161);
    EXPECT_EQ(lines.errorCode(), "0");
    EXPECT_EQ(lines.errorMessage(), "");
    EXPECT_EQ(lines[5], "a\rb\nc");
    EXPECT_EQ(lines[6], ""); // the trailing separator leaves a last empty line
    EXPECT_EQ(lines[100], "");
    EXPECT_FALSE(lines.has(7));
    EXPECT_EQ(ReplyLines("").count(), 1u);
    EXPECT_EQ(ReplyLines("000010\r\n182\r\n").description(), "(000010, 182, )");
}

TEST(ReplyLines, RecordCountsAreBoundedByTheLinesPresent)
{
    std::string text = "000000\r\n161\r\n0\r\n";
    for (int i = 0; i < 10; ++i)
        text += "\r\nx";
    ReplyLines lines(text); // 13 lines
    EXPECT_EQ(lines.recordCount(3, 2), 5u);
    EXPECT_EQ(lines.recordCount(3, 2, 3), 3u);
    EXPECT_EQ(lines.recordCount(3, 2, -1), 0u);
    EXPECT_EQ(lines.recordCount(3, 2, INT64_MAX), 5u);
    EXPECT_EQ(lines.recordCount(3, 0, 4), 0u);
    EXPECT_EQ(lines.recordCount(50, 2, 4), 0u);
}

// A front that is no length fails before six bytes come; a receiver of a frame may drain bytes
// that arrive meanwhile without losing the text it holds. A length counts GB18030 bytes (17 is
// "\r\n60\r\n" with a two-byte character and "\r\n", plus 7).
TEST(FrameReceiver, AShortBadFrontFailsAtOnceAndANestedDrainKeepsTheOuterText)
{
    FrameReceiver receiver;
    const auto feed = [&](std::string_view s) {
        receiver.append({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
    };
    feed("00a");
    EXPECT_EQ(receiver.deliverFrames([](std::string_view) { return true; }).stop, FrameReceiver::Stop::Corrupt);
    std::vector<std::string> seen;
    feed(*fieldListFrame(60, {"外"}));
    receiver.deliverFrames([&](std::string_view outer) {
        feed(*fieldListFrame(61, {"内"}));
        receiver.deliverFrames([&](std::string_view inner) { return seen.emplace_back(inner), true; });
        return seen.emplace_back(outer), true;
    });
    EXPECT_EQ(seen, (std::vector<std::string> {"000017\r\n61\r\n内\r\n", "000017\r\n60\r\n外\r\n"}));
}
