// What writing the screen costs: drawing text with a blurred shadow (as every label of the
// floor does), a whole floor of such labels, and Cairo's own PNG encoding of the same screen,
// which is the yardstick: drawing a screen should cost no more than encoding it.
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIFont.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/graphics/UIImage.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr CGSize kScreen {1024, 768};

// One label's text with the labels' default shadow: 2 points down, blur 5, black at 0.75.
void drawShadowedLine(CGContext& context, const std::u32string& text, CGPoint origin)
{
    context.saveGState();
    context.setShadowWithColor(CGSizeMake(0, 2), 5, UIColor::colorWithWhite(0, 0.75));
    context.setFillColor(UIColor::blackColor());
    context.showTextLine(text, origin, *UIFont::systemFontOfSize(14));
    context.restoreGState();
}

// A floor's worth: 25 tiles of five lines each.
void drawFloor(CGContext& context)
{
    context.setFillColor(UIColor::colorWithWhite(0.8, 1));
    context.fillRect(CGRectMake(0, 0, kScreen.width, kScreen.height));
    for (int tile = 0; tile < 25; ++tile) {
        const double x = 10 + (tile % 5) * 200.0, y = 100 + (tile / 5) * 125.0;
        for (int line = 0; line < 5; ++line)
            drawShadowedLine(context, U"A0" + std::u32string(1, U'1' + line) + U"(300) 张三", CGPointMake(x, y + line * 22));
    }
}

void BM_ShadowedLineOnScreen(benchmark::State& state)
{
    const double scale = static_cast<double>(state.range(0));
    UIGraphicsBeginImageContextWithOptions(kScreen, false, scale);
    auto context = UIGraphicsGetCurrentContext();
    for (auto _ : state)
        drawShadowedLine(*context, U"A01(300)", CGPointMake(500, 380));
    UIGraphicsEndImageContext();
}
BENCHMARK(BM_ShadowedLineOnScreen)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_FloorOfShadowedLabels(benchmark::State& state)
{
    UIGraphicsBeginImageContextWithOptions(kScreen, false, 1);
    auto context = UIGraphicsGetCurrentContext();
    for (auto _ : state)
        drawFloor(*context);
    UIGraphicsEndImageContext();
}
BENCHMARK(BM_FloorOfShadowedLabels)->Unit(benchmark::kMillisecond);

std::shared_ptr<UIImage> floorPicture()
{
    UIGraphicsBeginImageContextWithOptions(kScreen, false, 1);
    drawFloor(*UIGraphicsGetCurrentContext());
    auto picture = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return picture;
}

void BM_CairoPNGEncodingOfTheFloor(benchmark::State& state)
{
    const auto picture = floorPicture();
    for (auto _ : state)
        benchmark::DoNotOptimize(picture->pngData());
}
BENCHMARK(BM_CairoPNGEncodingOfTheFloor)->Unit(benchmark::kMillisecond);

// What the screen recorder pays each second for a screen that has not changed.
void BM_SamePixelsCheckOfTheFloor(benchmark::State& state)
{
    const auto picture = floorPicture(), again = floorPicture();
    for (auto _ : state)
        benchmark::DoNotOptimize(picture->hasSamePixels(*again));
}
BENCHMARK(BM_SamePixelsCheckOfTheFloor)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
