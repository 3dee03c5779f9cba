#include "platform/foundation/NumberValue.h"
#include "platform/foundation/TextEncoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(TextEncoding, ChineseRoundTripsThroughGB18030AndTheRestIsRefused)
{
    const std::string text = "已连接 空房(12) 系统日期：2026-12-06 €𝄞";
    auto bytes = TextEncoding::toGB18030(text);
    ASSERT_TRUE(bytes);
    // Common Chinese characters take two bytes each.
    EXPECT_EQ(*TextEncoding::toGB18030("已连接"), "\xD2\xD1\xC1\xAC\xBD\xD3");
    auto back = TextEncoding::fromGB18030(*bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, text);
    // What cannot be converted is refused.
    EXPECT_FALSE(TextEncoding::toGB18030("bad \xFF utf-8"));
    EXPECT_FALSE(TextEncoding::toGB18030("\xED\xA0\x80")); // a surrogate
    EXPECT_FALSE(TextEncoding::fromGB18030("\xD2")); // cut inside a character
    EXPECT_FALSE(TextEncoding::fromGB18030("\x81\x20"));
    EXPECT_EQ(TextEncoding::fromGB18030(""), std::string());
}

TEST(NumberValue, NumbersReadTheLeadingNumber)
{
    EXPECT_EQ(intValue("42"), 42);
    EXPECT_EQ(intValue("  -17abc"), -17);
    EXPECT_EQ(intValue("+8"), 8);
    EXPECT_EQ(intValue("abc"), 0);
    EXPECT_EQ(intValue(""), 0);
    EXPECT_EQ(intValue("000018"), 18);
    EXPECT_EQ(intValue("99999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(intValue("-99999999999"), std::numeric_limits<int>::min());
    EXPECT_EQ(integerValue("99999999999"), 99999999999LL);
    EXPECT_EQ(integerValue("99999999999999999999"), std::numeric_limits<std::int64_t>::max());
    // Floating-point values read plain decimals.
    EXPECT_DOUBLE_EQ(doubleValue("12.50元"), 12.5);
    EXPECT_DOUBLE_EQ(doubleValue(" -.5"), -0.5);
    EXPECT_DOUBLE_EQ(doubleValue("1e3x"), 1000.0);
    EXPECT_DOUBLE_EQ(doubleValue("0x10"), 0.0);
    EXPECT_DOUBLE_EQ(doubleValue("nan"), 0.0);
    EXPECT_DOUBLE_EQ(doubleValue("1e-999"), 0.0);
    EXPECT_DOUBLE_EQ(doubleValue("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_TRUE(std::isinf(doubleValue("1e999")));
    EXPECT_FLOAT_EQ(floatValue("3.25"), 3.25f);
    EXPECT_TRUE(boolValue("YES"));
    EXPECT_TRUE(boolValue("2"));
    EXPECT_FALSE(boolValue("0"));
    EXPECT_FALSE(boolValue("no"));
}
