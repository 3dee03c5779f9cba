// What writing the screen costs: drawing text with a blurred shadow (as every label of the
// floor does), a whole floor of such labels, and writing the same screen as PNG, measured against
// the strongest cheap libpng setting for that screen.
#include "bench/RatioToBaseline.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIFont.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/graphics/UIImage.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

// A libpng setting: zlib level and row filter.
struct PngSetting {
    int level;
    int filter;
    const char* filterName;
};

// libpng at the given setting, fed the same opaque screen as RGB rows made from the same pixels.
std::string libpngWrite(const UIImage& picture, const PngSetting& setting)
{
    cairo_surface_t* surface = picture.surface();
    const int width = picture.pixelWidth(), height = picture.pixelHeight();
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::string out;
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, [](png_structp p, png_bytep bytes, png_size_t length) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(bytes), length);
    }, nullptr);
    png_set_compression_level(png, setting.level);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, setting.filter);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const unsigned char* source = data + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            std::uint32_t p;
            std::memcpy(&p, source + x * 4, 4);
            row[std::size_t(x) * 3] = static_cast<png_byte>(p >> 16);
            row[std::size_t(x) * 3 + 1] = static_cast<png_byte>(p >> 8);
            row[std::size_t(x) * 3 + 2] = static_cast<png_byte>(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The least of five writes' processor time, in milliseconds.
template <class Write>
double fastestMs(const Write& write)
{
    double best = 0;
    for (int i = 0; i < 5; ++i) {
        const auto start = ThreadClock::now();
        write();
        const double ms = std::chrono::duration<double, std::milli>(ThreadClock::now() - start).count();
        best = i == 0 ? ms : std::min(best, ms);
    }
    return best;
}

struct PngTrial {
    PngSetting setting;
    double ms;
    std::size_t bytes;
};

// Levels 1 to 6 with no, SUB, UP or PAETH row filters, each timed on the picture.
std::vector<PngTrial> cheapSettings(const UIImage& picture)
{
    const PngSetting filters[] = {{0, PNG_FILTER_NONE, "none"}, {0, PNG_FILTER_SUB, "sub"},
                                  {0, PNG_FILTER_UP, "up"}, {0, PNG_FILTER_PAETH, "paeth"}};
    std::vector<PngTrial> trials;
    for (int level = 1; level <= 6; ++level) {
        for (PngSetting setting : filters) {
            setting.level = level;
            std::size_t bytes = 0;
            const double ms = fastestMs([&] { bytes = libpngWrite(picture, setting).size(); });
            trials.push_back({setting, ms, bytes});
        }
    }
    return trials;
}

std::string described(const PngTrial& trial)
{
    char text[80];
    std::snprintf(text, sizeof text, "level %d %s (%.1f ms, %zu KB)", trial.setting.level, trial.setting.filterName,
                  trial.ms, trial.bytes / 1024);
    return text;
}

// The program's PNG writing against the strongest cheap libpng setting for this screen: the
// fastest whose file is no larger than ours (the smallest if none is), so that our writer is held
// to time and size at once. The label names it and the fastest setting of all, whose files are
// larger. The sizes include the drawing library's own writer (zlib's default level, every row
// filter), which the files are held to.
void BM_PNGWritingOfTheFloor(benchmark::State& state)
{
    const auto picture = floorPicture();
    std::size_t written = picture->pngData()->size(), baseline = 0;
    const auto trials = cheapSettings(*picture);
    const auto fastest = *std::min_element(trials.begin(), trials.end(), [](auto& a, auto& b) { return a.ms < b.ms; });
    const auto strongest = *std::min_element(trials.begin(), trials.end(), [&](auto& a, auto& b) {
        const bool aFits = a.bytes <= written, bFits = b.bytes <= written;
        return aFits != bFits ? aFits : aFits ? a.ms < b.ms : a.bytes < b.bytes;
    });
    measureAgainstBaseline(state, [&] { written = picture->pngData()->size(); },
                           [&] { baseline = libpngWrite(*picture, strongest.setting).size(); });
    std::string cairos;
    cairo_surface_write_to_png_stream(picture->surface(), [](void* out, const unsigned char* bytes, unsigned int length) {
        static_cast<std::string*>(out)->append(reinterpret_cast<const char*>(bytes), length);
        return CAIRO_STATUS_SUCCESS;
    }, &cairos);
    state.counters["bytes"] = static_cast<double>(written);
    state.counters["baseline_bytes"] = static_cast<double>(baseline);
    state.counters["cairo_bytes"] = static_cast<double>(cairos.size());
    state.SetLabel("baseline " + described(strongest) + "; fastest " + described(fastest));
}
BENCHMARK(BM_PNGWritingOfTheFloor)->Unit(benchmark::kMillisecond);

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
