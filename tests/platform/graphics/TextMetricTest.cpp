#include "platform/graphics/TextMetric.h"
#include "platform/graphics/Utf8.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
const auto font10 = UIFont::systemFontOfSize(10);
} // namespace

TEST(TextMetric, OneLineOfChineseAndLatin)
{
    const auto bold12 = UIFont::fontWithName("HelveticaNeue-Bold", 12);
    // Four wide characters (the full-width colon included) and eleven narrow ones.
    const CGSize server = TextMetric::sizeWithFont("服务器：192.168.1.5", *bold12);
    EXPECT_DOUBLE_EQ(server.width, 4 * 12 + 11 * 6);
    EXPECT_DOUBLE_EQ(server.height, 14.4);

    EXPECT_DOUBLE_EQ(TextMetric::sizeWithFont("Matrix", *UIFont::fontWithName("Courier-Bold", 14)).width, 42);

    EXPECT_EQ(TextMetric::sizeWithFont("", *font10), CGSizeZero);
    // Control characters take no room; malformed bytes count as one narrow replacement each.
    EXPECT_DOUBLE_EQ(TextMetric::sizeWithFont("a\tb\n", *font10).width, 10);
    EXPECT_DOUBLE_EQ(TextMetric::sizeWithFont("\xff\xfe中", *font10).width, 20);
    EXPECT_DOUBLE_EQ(TextMetric::sizeWithFont("\xe4\xb8", *font10).width, 10); // cut-off sequence
}

// Lines of 10-point text laid out in a width, at most maxLines of them (0: no limit).
TEST(TextMetric, LinesBreakAndShortenByTheirMode)
{
    using M = NSLineBreakMode;
    struct Case {
        const char* why;
        const char* text;
        double width;
        int maxLines;
        NSLineBreakMode mode;
        std::vector<std::string> lines;
    } cases[] = {
        {"latin wraps by words", "hello world foo", 60, 0, M::ByWordWrapping, {"hello world", "foo"}},
        {"any gap by a wide character breaks", "ab中文", 15, 0, M::ByWordWrapping, {"ab", "中", "文"}},
        {"char wrapping breaks anywhere", "abcdefgh ij", 22, 0, M::ByCharWrapping, {"abcd", "efgh", "ij"}},
        {"explicit breaks, empty lines too", "a\r\n\nb", 100, 0, M::ByWordWrapping, {"a", "", "b"}},
        {"tail", "hello world", 30, 1, M::ByTruncatingTail, {"hello…"}},
        {"head", "hello world", 30, 1, M::ByTruncatingHead, {"…world"}},
        {"middle", "hello world", 30, 1, M::ByTruncatingMiddle, {"hel…ld"}},
        {"clipping", "hello world", 30, 1, M::ByClipping, {"hello "}},
        {"the last line takes the rest", "one two three four", 40, 2, M::ByTruncatingTail, {"one two", "three f…"}},
        {"what fits is never shortened", "short", 30, 1, M::ByTruncatingTail, {"short"}},
        {"no room for the ellipsis", "hello", 3, 1, M::ByTruncatingTail, {""}},
        // Degenerate widths give one character a line rather than looping.
        {"zero width", "abc", 0, 0, M::ByWordWrapping, {"a", "b", "c"}},
        {"negative width", "abc", -5, 0, M::ByCharWrapping, {"a", "b", "c"}},
        {"NaN width", "abc", std::nan(""), 0, M::ByWordWrapping, {"a", "b", "c"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines;
        for (const auto& line : TextMetric::layout(c.text, 10, c.width, c.maxLines, c.mode))
            lines.push_back(Utf8::encode(line.text));
        EXPECT_EQ(lines, c.lines) << c.why;
    }
    EXPECT_DOUBLE_EQ(TextMetric::layout("hello world", 10, 30, 1, M::ByTruncatingTail)[0].width, 30);
}

TEST(TextMetric, BoxesOfWrappedText)
{
    using M = NSLineBreakMode;
    EXPECT_EQ(TextMetric::sizeWithFont("hello world foo", *font10, {60, 1000}, M::ByWordWrapping), (CGSize {55, 24}));
    EXPECT_EQ(TextMetric::sizeWithFont("整瓶开封整瓶", *font10, {25, 1000}, M::ByWordWrapping), (CGSize {20, 36}));
    // Two lines of 12 points fit in 24; the wrapping modes drop the rest.
    EXPECT_EQ(TextMetric::sizeWithFont("a b c d", *font10, {5, 24}, M::ByWordWrapping), (CGSize {5, 24}));
    // Less than one line's height still gives one line; an infinite height is no limit.
    EXPECT_EQ(TextMetric::sizeWithFont("abc", *font10, {100, 3}, M::ByWordWrapping), (CGSize {15, 12}));
    EXPECT_EQ(TextMetric::sizeWithFont("a b c", *font10, {5, INFINITY}, M::ByWordWrapping).height, 36);
    EXPECT_EQ(TextMetric::sizeWithFont("abc", *font10, {std::nan(""), std::nan("")}, M::ByWordWrapping),
              (CGSize {0, 12}));
}

TEST(TextMetric, ShrinkToFitReportsTheActualSize)
{
    const auto font20 = UIFont::systemFontOfSize(20);
    struct Case {
        const char* why;
        const char* text;
        UIFontPtr font;
        double minimum, width;
        double actual;
        CGSize size;
    } cases[] = {
        // Ten narrow characters are 100 points at 20; half the width needs half the size.
        {"halved", "abcdefghij", font20, 8, 50, 10, {50, 12}},
        {"stopped by the smallest size, shortened", "abcdefghij", font20, 12, 50, 12, {48, 12 * 1.2}},
        {"fits as it is", "ab", font20, 8, 50, 20, {20, 24}},
        {"Chinese by the same rule", "系统日期", UIFont::systemFontOfSize(14), 7, 28, 7, {28, 7 * 1.2}},
        {"NaN width", "abc", font10, 5, std::nan(""), 5, {0, 6}},
    };
    for (const auto& c : cases) {
        const auto fitted = TextMetric::sizeWithFont(c.text, *c.font, c.minimum, c.width, NSLineBreakMode::ByTruncatingTail);
        EXPECT_DOUBLE_EQ(fitted.actualFontSize, c.actual) << c.why;
        EXPECT_DOUBLE_EQ(fitted.size.width, c.size.width) << c.why;
        EXPECT_NEAR(fitted.size.height, c.size.height, 1e-9) << c.why;
    }
}
