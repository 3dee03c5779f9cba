#include "platform/graphics/CGContext.h"
#include "platform/graphics/ShadowBlur.h"
#include "platform/graphics/NSStringDrawing.h"
#include "platform/graphics/UIGraphics.h"

#include "tests/support/InkBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {
UIImage::Pixel pixel(const CGContext& context, int x, int y) { return context.makeImage()->pixelAt(x, y); }
} // namespace

TEST(CGContext, LinearGradientRunsBetweenItsEnds)
{
    auto context = CGContext::createBitmap({100, 10}, 1);
    auto gradient = CGGradient::createWithColors({UIColor::redColor(), UIColor::blueColor()});
    ASSERT_TRUE(gradient);
    context->saveGState();
    context->clipToRect(CGRectMake(0, 0, 100, 5));
    context->drawLinearGradient(*gradient, {20, 0}, {80, 0}, 0);
    context->restoreGState();
    const auto image = context->makeImage();

    // Without extension nothing is drawn before the start or after the end.
    EXPECT_EQ(image->pixelAt(10, 2).alpha, 0);
    EXPECT_EQ(image->pixelAt(90, 2).alpha, 0);
    const auto start = image->pixelAt(21, 2), middle = image->pixelAt(50, 2), end = image->pixelAt(79, 2);
    EXPECT_GT(start.red, 240);
    EXPECT_LT(start.blue, 15);
    EXPECT_NEAR(middle.red, 128, 8);
    EXPECT_NEAR(middle.blue, 128, 8);
    EXPECT_GT(end.blue, 240);
    // The clip held: the lower half is untouched.
    EXPECT_EQ(image->pixelAt(50, 7).alpha, 0);

    // Extending only past the end paints after it, never before the start.
    auto extended = CGContext::createBitmap({100, 10}, 1);
    extended->drawLinearGradient(*gradient, {20, 0}, {80, 0}, CGGradient::DrawsAfterEndLocation);
    EXPECT_EQ(pixel(*extended, 10, 5).alpha, 0);
    EXPECT_GT(pixel(*extended, 95, 5).blue, 240);
    EXPECT_EQ(pixel(*extended, 95, 5).alpha, 255);
}

TEST(CGContext, RadialGradientAndLocations)
{
    auto gradient = CGGradient::createWithColors({UIColor::whiteColor(), UIColor::blackColor(), UIColor::blackColor()},
                                                 {0, 0.5, 1});
    auto context = CGContext::createBitmap({40, 40}, 1);
    context->drawRadialGradient(*gradient, {20, 20}, 0, {20, 20}, 20, 0);
    const auto image = context->makeImage();
    EXPECT_GT(image->pixelAt(20, 20).red, 230);
    EXPECT_NEAR(image->pixelAt(25, 20).red, 128, 20); // halfway to the 0.5 stop
    EXPECT_LT(image->pixelAt(32, 20).red, 10);
    EXPECT_EQ(image->pixelAt(0, 0).alpha, 0); // beyond the end circle
    EXPECT_FALSE(CGGradient::createWithColors({nullptr}));
}

TEST(CGContext, ClipToMaskLaysThePictureAsThePlatformDoes)
{
    // A mask picture whose top half is opaque and bottom half transparent.
    auto maskContext = CGContext::createBitmap({20, 20}, 1);
    maskContext->fillRect(CGRectMake(0, 0, 20, 10));
    const auto mask = maskContext->makeImage();
    // Black over white through the clip that clipping sets up.
    const auto masked = [](const std::function<void(CGContext&)>& clipping) {
        auto context = CGContext::createBitmap({20, 20}, 1);
        context->setFillColor(UIColor::whiteColor());
        context->fillRect(CGRectMake(0, 0, 20, 20));
        clipping(*context);
        context->setFillColor(UIColor::blackColor());
        context->fillRect(CGRectMake(0, 0, 20, 20));
        return context;
    };

    // The picture's first row lies at the far edge in y: the opaque half masks the lower half.
    auto plain = masked([&](CGContext& c) { c.clipToMask(CGRectMake(0, 0, 20, 20), *mask); });
    EXPECT_EQ(pixel(*plain, 10, 15).red, 0);
    EXPECT_EQ(pixel(*plain, 10, 5).red, 255);

    // Flipped first, as drawing code for a top-left context does, the mask lies the right way up.
    auto flipped = masked([&](CGContext& c) {
        c.translateCTM(0, 20);
        c.scaleCTM(1, -1);
        c.clipToMask(CGRectMake(0, 0, 20, 20), *mask);
        c.scaleCTM(1, -1);
        c.translateCTM(0, -20);
    });
    EXPECT_EQ(pixel(*flipped, 10, 5).red, 0);
    EXPECT_EQ(pixel(*flipped, 10, 15).red, 255);

    // Masks intersect, and outside the mask's rectangle nothing is drawn.
    auto both = masked([&](CGContext& c) {
        c.clipToMask(CGRectMake(0, 0, 20, 20), *mask);
        c.clipToMask(CGRectMake(0, 0, 10, 20), *mask);
    });
    EXPECT_EQ(pixel(*both, 5, 15).red, 0);
    EXPECT_EQ(pixel(*both, 15, 15).red, 255);
}

TEST(CGContext, StateScaleAndClearing)
{
    auto context = CGContext::createBitmap({10, 10}, 2);
    EXPECT_EQ(context->pixelWidth(), 20);
    context->setFillColor(UIColor::redColor());
    context->saveGState();
    context->setFillColor(UIColor::greenColor());
    context->translateCTM(5, 0);
    context->setAlpha(0.5);
    context->setShadowWithColor({3, 0}, 0, UIColor::blackColor());
    context->fillRect(CGRectMake(0, 0, 5, 5)); // half-transparent green on the right
    context->restoreGState();
    context->restoreGState(); // unbalanced: ignored
    EXPECT_EQ(context->getCTM(), CGAffineTransformIdentity);
    context->fillRect(CGRectMake(0, 5, 5, 5)); // red again, at the origin
    const auto image = context->makeImage();
    EXPECT_EQ(image->pixelAt(15, 4).green, 255);
    EXPECT_NEAR(image->pixelAt(15, 4).alpha, 128, 2);
    EXPECT_EQ(image->pixelAt(4, 15).red, 255);
    EXPECT_EQ(image->pixelAt(12, 15).alpha, 0); // the shadow went with the restored state
    EXPECT_EQ(image->size(), (CGSize {10, 10}));

    context->clearRect(CGRectMake(0, 5, 2, 5));
    EXPECT_EQ(pixel(*context, 1, 15).alpha, 0);
    EXPECT_EQ(pixel(*context, 6, 15).alpha, 255);

    // A scale by zero makes drawing vanish until the state is restored, without spoiling the context.
    context->saveGState();
    context->scaleCTM(0, 1);
    context->fillRect(CGRectMake(0, 0, 10, 10));
    context->restoreGState();
    EXPECT_EQ(pixel(*context, 1, 1).alpha, 0);
    context->fillRect(CGRectMake(0, 0, 1, 1));
    EXPECT_EQ(pixel(*context, 1, 1).red, 255);
}

TEST(CGContext, OversizedPicturesAreRefusedAndImageContextsStayBalanced)
{
    auto huge = CGContext::createBitmap({20000, 20000}, 1);
    EXPECT_FALSE(huge->isValid());
    huge->fillRect(CGRectMake(0, 0, 10, 10)); // harmless
    EXPECT_FALSE(huge->makeImage());
    EXPECT_FALSE(CGContext::createBitmap({0, 10}, 1)->isValid());
    EXPECT_FALSE(CGContext::createBitmap({std::nan(""), 10}, 1)->isValid());

    UIGraphicsBeginImageContextWithOptions({30, 10}, false, 1);
    auto outer = UIGraphicsGetCurrentContext();
    UIGraphicsBeginImageContextWithOptions({1e9, 1e9}, false, 1);
    EXPECT_FALSE(UIGraphicsGetImageFromCurrentImageContext());
    UIGraphicsEndImageContext();
    // The failed begin was ended by its own end, so the outer picture is still current.
    EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);
    const auto image = UIGraphicsGetImageFromCurrentImageContext();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 30);
    UIGraphicsEndImageContext();
    EXPECT_FALSE(UIGraphicsGetCurrentContext());
    UIGraphicsEndImageContext(); // one end too many does nothing
}

TEST(CGContext, TextStaysInsideItsMeasuredBox)
{
    auto context = CGContext::createBitmap({200, 40}, 1);
    const auto font = UIFont::systemFontOfSize(20);
    const CGSize drawn = NSStringDrawing::drawAtPoint("WWMM", {10, 5}, *font, context.get());
    EXPECT_EQ(drawn, (CGSize {40, 24}));
    const auto inked = [](const UIImage::Pixel& p) { return p.alpha > 0; };
    // Wide glyphs are narrowed to their cells: no ink beyond the measured width.
    const auto ink = inkOf(*context->makeImage(), inked);
    EXPECT_GT(ink.count, 50);
    EXPECT_GE(ink.minX, 9);
    EXPECT_LE(ink.maxX, 50);

    // Centred text in a rectangle lands in its middle.
    auto centred = CGContext::createBitmap({100, 20}, 1);
    NSStringDrawing::drawInRect("ab", CGRectMake(0, 0, 100, 20), *UIFont::systemFontOfSize(10),
                                NSLineBreakMode::ByWordWrapping, NSTextAlignment::Center, centred.get());
    const auto centredInk = inkOf(*centred->makeImage(), inked);
    EXPECT_GT(centredInk.count, 0);
    EXPECT_GE(centredInk.minX, 44);
    EXPECT_LE(centredInk.maxX, 56);
}

// The blur is three rounded box averages each way, rows then columns, with nothing beyond the
// plane's edges: worked out here pixel by pixel, for boxes wider than the plane, for rows that
// lie apart in memory, whose gaps stay untouched, and for coverage away from the edges or none.
TEST(ShadowBlur, IsThreeRoundedBoxAveragesEachWay)
{
    struct Case {
        int w, h;
        std::ptrdiff_t stride;
        double sigma;
        int margin; // free of coverage
    };
    for (const auto& [w, h, stride, sigma, margin] : {Case {37, 23, 37, 2.5, 0}, Case {3, 40, 8, 9, 0}, Case {50, 1, 64, 5, 0},
                                                      Case {10, 6, 10, 30, 0}, Case {40, 30, 48, 2.5, 9}, Case {6, 6, 6, 3, 3}}) {
        std::vector<std::uint8_t> plane(static_cast<std::size_t>(stride * h), 7);
        std::vector<int> expected(static_cast<std::size_t>(w * h));
        unsigned seed = 12345;
        for (int i = 0; i < w * h; ++i) {
            seed = seed * 1103515245 + 12345;
            const int x = i % w, y = i / w;
            const bool inside = std::min({x, y, w - 1 - x, h - 1 - y}) >= margin;
            expected[std::size_t(i)] = plane[std::size_t(y * stride + x)] = inside && (seed >> 16) % 3 == 0 ? (seed >> 8) & 0xFF : 0;
        }
        const int r = std::min(static_cast<int>(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)), std::max(w, h));
        const auto box = [&, w = w, h = h](bool alongRows) {
            const auto in = expected;
            for (int i = 0; i < w * h; ++i) {
                int sum = 0;
                for (int k = -r; k <= r; ++k) {
                    const int x = i % w + (alongRows ? k : 0), y = i / w + (alongRows ? 0 : k);
                    sum += x >= 0 && x < w && y >= 0 && y < h ? in[std::size_t(y * w + x)] : 0;
                }
                expected[std::size_t(i)] = (sum + r) / (2 * r + 1);
            }
        };
        for (int pass = 0; pass < 3; ++pass)
            box(true), box(false);
        ShadowBlur::blur(plane.data(), w, h, stride, sigma);
        for (int i = 0; i < stride * h; ++i) {
            const int want = i % stride < w ? expected[std::size_t(i / stride * w + i % stride)] : 7;
            ASSERT_EQ(plane[std::size_t(i)], want) << "pixel " << i % stride << "," << i / stride << " of " << w << "x" << h;
        }
    }
}

// The shadow of a shape is its coverage blurred, offset and tinted, wherever the shape lies:
// worked out here over the whole picture for text, a stroke far wider than its path and a
// rectangle running off the picture.
TEST(CGContext, ShadowMatchesTheBlurredCoverageOfTheWholePicture)
{
    const std::vector<std::function<void(CGContext&)>> shapes = {
        [](CGContext& c) { c.showTextLine(U"Wj宽(8)", CGPointMake(20, 30), *UIFont::boldSystemFontOfSize(20)); },
        [](CGContext& c) { c.fillRect(CGRectMake(-6, 70, 30, 40)); },
        [](CGContext& c) { c.setLineWidth(30); c.strokeRect(CGRectMake(60, 30, 10, 10)); }};
    for (const double scale : {1.0, 2.0}) {
        for (std::size_t n = 0; n < shapes.size(); ++n) {
            const auto paint = [&](bool shadow) {
                auto context = CGContext::createBitmap({100, 100}, scale);
                if (shadow)
                    context->setShadowWithColor({3, 4}, 6, UIColor::colorWithWhite(0, 0.5));
                shapes[n](*context);
                return context->makeImage();
            };
            const auto shape = paint(false), picture = paint(true);
            const int w = shape->pixelWidth(), h = shape->pixelHeight(), dx = int(3 * scale), dy = int(4 * scale);
            std::vector<std::uint8_t> plane(static_cast<std::size_t>(w) * h);
            for (int i = 0; i < w * h; ++i)
                plane[static_cast<std::size_t>(i)] = shape->pixelAt(i % w, i / w).alpha;
            ShadowBlur::blur(plane, w, h, 6 * scale / 2);
            int differing = 0;
            for (int i = 0; i < w * h; ++i) {
                const int x = i % w, y = i / w;
                if (shape->pixelAt(x, y).alpha != 0)
                    continue; // the shape covers its shadow there
                const int expected = x >= dx && y >= dy ? plane[std::size_t((y - dy) * w + x - dx)] / 2 : 0;
                differing += std::abs(picture->pixelAt(x, y).alpha - expected) > 2;
            }
            EXPECT_EQ(differing, 0) << "shape " << n << " at scale " << scale;
        }
    }
}
