#include "platform/graphics/TextMetric.h"
#include "platform/graphics/Utf8.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
std::string text(const TextMetric::Line& line) { return Utf8::encode(line.text); }
const auto font10 = UIFont::systemFontOfSize(10);
} // namespace

TEST(TextMetric, OneLineOfChineseAndLatin)
{
    const auto bold12 = UIFont::fontWithName("HelveticaNeue-Bold", 12);
    // Four wide characters (the full-width colon included) and eleven narrow ones.
    const CGSize server = TextMetric::sizeWithFont("服务器：192.168.1.5", *bold12);
    EXPECT_DOUBLE_EQ(server.width, 4 * 12 + 11 * 6);
    EXPECT_DOUBLE_EQ(server.height, 14.4);

    const CGSize latin = TextMetric::sizeWithFont("Matrix", *UIFont::fontWithName("Courier-Bold", 14));
    EXPECT_DOUBLE_EQ(latin.width, 42);
    EXPECT_DOUBLE_EQ(latin.height, 14 * 1.2);

    EXPECT_EQ(TextMetric::sizeWithFont("", *font10), CGSizeZero);
    // Control characters take no room; malformed bytes count as one narrow replacement each.
    EXPECT_DOUBLE_EQ(TextMetric::sizeWithFont("a\tb\n", *font10).width, 10);
    EXPECT_DOUBLE_EQ(TextMetric::sizeWithFont("\xff\xfe中", *font10).width, 20);
    EXPECT_DOUBLE_EQ(TextMetric::sizeWithFont("\xe4\xb8", *font10).width, 10); // cut-off sequence
}

TEST(TextMetric, WrapsLatinByWordsAndChineseAnywhere)
{
    const auto words = TextMetric::layout("hello world foo", 10, 60, 0, NSLineBreakMode::ByWordWrapping);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(text(words[0]), "hello world");
    EXPECT_EQ(text(words[1]), "foo");
    EXPECT_EQ(TextMetric::sizeWithFont("hello world foo", *font10, {60, 1000}, NSLineBreakMode::ByWordWrapping),
              (CGSize {55, 24}));

    // Every gap between wide characters is a place to break.
    EXPECT_EQ(TextMetric::sizeWithFont("整瓶开封整瓶", *font10, {25, 1000}, NSLineBreakMode::ByWordWrapping),
              (CGSize {20, 36}));
    const auto mixed = TextMetric::layout("ab中文", 10, 15, 0, NSLineBreakMode::ByWordWrapping);
    ASSERT_EQ(mixed.size(), 3u);
    EXPECT_EQ(text(mixed[0]), "ab");
    EXPECT_EQ(text(mixed[1]), "中");

    // A word longer than the width is broken where it overflows; character wrapping breaks anywhere.
    const auto chars = TextMetric::layout("abcdefgh ij", 10, 22, 0, NSLineBreakMode::ByCharWrapping);
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(text(chars[0]), "abcd");
    EXPECT_EQ(text(chars[1]), "efgh");
    EXPECT_EQ(text(chars[2]), "ij");

    // Explicit line breaks start new lines, empty ones included.
    EXPECT_EQ(TextMetric::layout("a\r\n\nb", 10, 100, 0, NSLineBreakMode::ByWordWrapping).size(), 3u);
}

TEST(TextMetric, HeightLimitsAndTruncation)
{
    // Two lines of 12 points fit in 24; the wrapping modes drop the rest.
    EXPECT_EQ(TextMetric::sizeWithFont("a b c d", *font10, {5, 24}, NSLineBreakMode::ByWordWrapping), (CGSize {5, 24}));
    // Less than one line's height still gives one line.
    EXPECT_EQ(TextMetric::sizeWithFont("abc", *font10, {100, 3}, NSLineBreakMode::ByWordWrapping), (CGSize {15, 12}));

    const auto tail = TextMetric::layout("hello world", 10, 30, 1, NSLineBreakMode::ByTruncatingTail);
    ASSERT_EQ(tail.size(), 1u);
    EXPECT_EQ(text(tail[0]), "hello…");
    EXPECT_DOUBLE_EQ(tail[0].width, 30);
    EXPECT_EQ(text(TextMetric::layout("hello world", 10, 30, 1, NSLineBreakMode::ByTruncatingHead)[0]), "…world");
    EXPECT_EQ(text(TextMetric::layout("hello world", 10, 30, 1, NSLineBreakMode::ByTruncatingMiddle)[0]), "hel…ld");
    EXPECT_EQ(text(TextMetric::layout("hello world", 10, 30, 1, NSLineBreakMode::ByClipping)[0]), "hello ");

    // The last line that fits takes the rest of the text and shows that some was left out.
    const auto two = TextMetric::layout("one two three four", 10, 40, 2, NSLineBreakMode::ByTruncatingTail);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(text(two[0]), "one two");
    EXPECT_EQ(text(two[1]), "three f…");

    // Text that fits is never shortened.
    EXPECT_EQ(text(TextMetric::layout("short", 10, 30, 1, NSLineBreakMode::ByTruncatingTail)[0]), "short");
    // No room even for the ellipsis: an empty line, not an overflowing one.
    EXPECT_EQ(text(TextMetric::layout("hello", 10, 3, 1, NSLineBreakMode::ByTruncatingTail)[0]), "");
}

TEST(TextMetric, ShrinkToFitReportsTheActualSize)
{
    const auto font20 = UIFont::systemFontOfSize(20);
    // Ten narrow characters are 100 points at 20; half the width needs half the size.
    auto fitted = TextMetric::sizeWithFont("abcdefghij", *font20, 8, 50, NSLineBreakMode::ByTruncatingTail);
    EXPECT_DOUBLE_EQ(fitted.actualFontSize, 10);
    EXPECT_DOUBLE_EQ(fitted.size.width, 50);
    EXPECT_DOUBLE_EQ(fitted.size.height, 12);

    // Stopped by the smallest size, the line is shortened at that size.
    fitted = TextMetric::sizeWithFont("abcdefghij", *font20, 12, 50, NSLineBreakMode::ByTruncatingTail);
    EXPECT_DOUBLE_EQ(fitted.actualFontSize, 12);
    EXPECT_DOUBLE_EQ(fitted.size.width, 48); // "abcdefg…"
    EXPECT_NEAR(fitted.size.height, 14.4, 1e-9);

    fitted = TextMetric::sizeWithFont("ab", *font20, 8, 50, NSLineBreakMode::ByTruncatingTail);
    EXPECT_DOUBLE_EQ(fitted.actualFontSize, 20);
    EXPECT_DOUBLE_EQ(fitted.size.width, 20);

    // Chinese shrinks by the same rule: four wide characters at 14 are 56 points.
    fitted = TextMetric::sizeWithFont("系统日期", *UIFont::systemFontOfSize(14), 7, 28, NSLineBreakMode::ByClipping);
    EXPECT_DOUBLE_EQ(fitted.actualFontSize, 7);
}

TEST(TextMetric, DegenerateWidthsEndAndStayBounded)
{
    // Zero, negative and NaN widths still give one character per line rather than looping.
    EXPECT_EQ(TextMetric::layout("abc", 10, 0, 0, NSLineBreakMode::ByWordWrapping).size(), 3u);
    EXPECT_EQ(TextMetric::layout("abc", 10, -5, 0, NSLineBreakMode::ByCharWrapping).size(), 3u);
    EXPECT_EQ(TextMetric::layout("abc", 10, std::nan(""), 0, NSLineBreakMode::ByWordWrapping).size(), 3u);
    EXPECT_EQ(TextMetric::sizeWithFont("abc", *font10, {std::nan(""), std::nan("")}, NSLineBreakMode::ByWordWrapping),
              (CGSize {0, 12}));
    const auto fitted = TextMetric::sizeWithFont("abc", *font10, 5, std::nan(""), NSLineBreakMode::ByTruncatingTail);
    EXPECT_DOUBLE_EQ(fitted.size.width, 0);
    // An infinite height is no limit.
    EXPECT_EQ(TextMetric::sizeWithFont("a b c", *font10, {5, INFINITY}, NSLineBreakMode::ByWordWrapping).height, 36);
}
