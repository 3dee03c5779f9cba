// What a soft shadow costs: the blur of a label's coverage, measured against a plain box blur,
// and a whole shadowed label, measured against drawing its text alone.
#include "bench/RatioToBaseline.h"
#include "kit/ShadowLabel.h"
#include "platform/graphics/ShadowBlur.h"
#include "platform/graphics/UIGraphics.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kInkWidth = 90, kInkHeight = 40;

// Coverage shaped like a line of bold glyphs: upright strokes and bars with soft edges.
std::vector<std::uint8_t> inkBox()
{
    std::vector<std::uint8_t> plane(static_cast<std::size_t>(kInkWidth) * kInkHeight);
    for (int y = 8; y < 32; ++y) {
        for (int x = 4; x < 86; ++x) {
            const bool stroke = (x % 11) < 3 || y % 12 < 2;
            plane[static_cast<std::size_t>(y * kInkWidth + x)] = stroke ? 255 : (x % 11 == 3 ? 96 : 0);
        }
    }
    return plane;
}

// The baseline: the same three box passes each way, byte for byte, written plainly but without
// waste. A row is copied into a line with zeros beyond its ends, so no pixel is tested against the
// edges; columns advance together a row at a time through running sums, so memory is read in
// order; each average is a plain division by a window known when compiling, which the compiler
// turns into a multiplication.
template <int r>
void plainBoxBlur(std::vector<std::uint8_t>& plane, int width, int height)
{
    constexpr int window = 2 * r + 1;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(width + 2 * r + 1)), copy(plane.size());
    std::vector<int> sums(static_cast<std::size_t>(width));
    const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(width));
    const auto at = [&](std::vector<std::uint8_t>& p, int x, int y) -> std::uint8_t& { return p[std::size_t(y * width + x)]; };
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            std::copy_n(&at(plane, 0, y), width, line.begin() + r);
            int sum = 0;
            for (int i = 0; i < window - 1; ++i)
                sum += line[std::size_t(i)];
            for (int x = 0; x < width; ++x) {
                sum += line[std::size_t(x + window - 1)];
                at(copy, x, y) = static_cast<std::uint8_t>((sum + window / 2) / window);
                sum -= line[std::size_t(x)];
            }
        }
        std::fill(sums.begin(), sums.end(), 0);
        for (int y = 0; y < std::min(r, height); ++y) {
            for (int x = 0; x < width; ++x)
                sums[std::size_t(x)] += at(copy, x, y);
        }
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* entering = y + r < height ? &at(copy, 0, y + r) : zeros.data();
            const std::uint8_t* leaving = y - r >= 0 ? &at(copy, 0, y - r) : zeros.data();
            std::uint8_t* out = &at(plane, 0, y);
            for (int x = 0; x < width; ++x) {
                sums[std::size_t(x)] += entering[x];
                out[x] = static_cast<std::uint8_t>((sums[std::size_t(x)] + window / 2) / window);
                sums[std::size_t(x)] -= leaving[x];
            }
        }
    }
}

// The labels' default blur of 5 points, as a standard deviation in pixels at the given scale.
void BM_ShadowBlurOfAnInkBox(benchmark::State& state)
{
    const double sigma = 5.0 * static_cast<double>(state.range(0)) / 2;
    const int r = static_cast<int>(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2));
    const auto plainBlur = r == 2 ? plainBoxBlur<2> : plainBoxBlur<5>;
    const auto ink = inkBox();
    auto measured = ink, baseline = ink;
    ShadowBlur::blur(measured, kInkWidth, kInkHeight, sigma);
    plainBlur(baseline, kInkWidth, kInkHeight);
    if (measured != baseline) {
        state.SkipWithError("the blur differs from the plain box blur");
        return;
    }
    measureAgainstBaseline(
        state,
        [&] {
            measured = ink;
            ShadowBlur::blur(measured, kInkWidth, kInkHeight, sigma);
            benchmark::DoNotOptimize(measured.data());
        },
        [&] {
            baseline = ink;
            plainBlur(baseline, kInkWidth, kInkHeight);
            benchmark::DoNotOptimize(baseline.data());
        });
}
BENCHMARK(BM_ShadowBlurOfAnInkBox)->Arg(1)->Arg(2);

// A room tile's title with the labels' defaults, against the same label with its shadow off,
// which draws the text alone, into a screen-sized picture.
void BM_ShadowedLabel(benchmark::State& state)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(1024, 768), false, static_cast<double>(state.range(0)));
    const auto make = [] {
        auto label = ShadowLabel::create(CGRectMake(0, 0, 180, 30));
        label->setFont(UIFont::boldSystemFontOfSize(17));
        label->setText("A01(298) 张三");
        label->setTextAlignment(NSTextAlignment::Center);
        return label;
    };
    const auto shadowed = make(), plain = make();
    plain->setShadowColor(UIColor::clearColor());
    const CGRect bounds = shadowed->bounds();
    measureAgainstBaseline(state, [&] { shadowed->drawRect(bounds); }, [&] { plain->drawRect(bounds); });
    UIGraphicsEndImageContext();
}
BENCHMARK(BM_ShadowedLabel)->Arg(1)->Arg(2);

} // namespace

BENCHMARK_MAIN();
