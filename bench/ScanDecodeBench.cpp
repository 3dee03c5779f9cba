// What reading a camera frame costs: the camera stand-in's whole frame path (luminance over
// white, reading, type mapping) against zxing-cpp alone doing the same reading, the two timed in
// turns with their ratio in the counters. Frames are 1024 × 768, with a QR code turned a few degrees, with a
// Code 128 bar code, or with no code; every code type is asked for, or QR alone. The frame
// interval is 66 ms.
#include "bench/RatioToBaseline.h"

#include "platform/capture/AVCaptureMetadataOutput.h"
#include "platform/capture/MetadataCodeTypes.h"
#include "tests/support/CodeFrames.h"

#include <ZXing/ReadBarcode.h>

#include <benchmark/benchmark.h>

namespace {
enum Scene { Blank, QRCode, BarCode };

UIImagePtr frame(std::int64_t scene)
{
    static const UIImagePtr qr = codeFrame(
        {1024, 768}, {{"1001|存酒|20261206|13800000000", ZXing::BarcodeFormat::QRCode, {380, 260}, 7, 4}});
    static const UIImagePtr bar = codeFrame({1024, 768}, {{"W1001-20261206", ZXing::BarcodeFormat::Code128, {240, 300}, 3}});
    static const UIImagePtr blank = codeFrame({1024, 768}, {});
    return scene == QRCode ? qr : scene == BarCode ? bar : blank;
}

std::vector<AVMetadataObjectType> types(bool allTypes)
{
    return allTypes ? MetadataCodeTypes::all() : std::vector<AVMetadataObjectType> {AVMetadataObjectTypeQRCode};
}

// Arguments: the scene, every type (1) or QR alone (0), a new picture each frame (1) or the same
// one again (0). A code is expected when the scene has one of a type asked for.
bool expectsCode(const benchmark::State& state)
{
    return state.range(0) == QRCode || (state.range(0) == BarCode && state.range(1));
}

void label(benchmark::State& state)
{
    const char* scenes[] = {"blank", "QR code", "bar code"};
    state.SetLabel(std::string(scenes[state.range(0)]) + (state.range(1) ? ", all types" : ", QR only") +
                   (state.range(2) ? ", new picture" : ""));
}

// The frame path against the baseline, the library alone reading as the program does (every
// matrix code in one call, one bar code in another) from a luminance picture. When each frame is
// a new picture, that luminance is made anew each time by a plain weighted sum of the opaque
// frame's colours, once for both calls (the library, given the colours, would convert them in
// each call); the frame path gets its new picture, copied untimed, as a camera would hand it over.
void FramePathOverLibrary(benchmark::State& state)
{
    const auto picture = frame(state.range(0));
    const int w = picture->pixelWidth(), h = picture->pixelHeight();
    const unsigned char* colours = cairo_image_surface_get_data(picture->surface());
    const int stride = cairo_image_surface_get_stride(picture->surface());
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(w) * h);
    const auto toGrey = [&] {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned char* p = colours + static_cast<std::ptrdiff_t>(y) * stride + 4 * x;
                grey[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>((29 * p[0] + 150 * p[1] + 77 * p[2] + 128) >> 8);
            }
    };
    toGrey();
    const ZXing::ImageView view(grey.data(), w, h, ZXing::ImageFormat::Lum);
    const auto formats = MetadataCodeTypes::formatsFor(types(state.range(1)));
    ZXing::DecodeHints matrix, linear;
    matrix.setCharacterSet("UTF-8").setFormats(formats & ZXing::BarcodeFormat::MatrixCodes);
    linear.setCharacterSet("UTF-8").setFormats(formats & ZXing::BarcodeFormat::LinearCodes);
    auto output = AVCaptureMetadataOutput::create();
    output->setMetadataObjectTypes(types(state.range(1)));
    UIImagePtr shown = picture;
    bool read = true;
    const auto library = [&] {
        if (state.range(2))
            toGrey();
        auto results = matrix.formats().empty() ? ZXing::Results {} : ZXing::ReadBarcodes(view, matrix);
        if (!linear.formats().empty())
            results.push_back(ZXing::ReadBarcode(view, linear));
        read = read && (!expectsCode(state) || std::any_of(results.begin(), results.end(), [](const auto& r) { return r.isValid(); }));
        benchmark::DoNotOptimize(results);
    };
    const auto framePath = [&] {
        auto batch = output->recognise(shown);
        read = read && (!expectsCode(state) || !batch.empty());
        benchmark::DoNotOptimize(batch);
    };
    const auto newPicture = [&] {
        if (!state.range(2))
            return;
        cairo_surface_t* copy = cairo_surface_map_to_image(picture->surface(), nullptr);
        cairo_surface_t* owned = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cairo_t* cr = cairo_create(owned);
        cairo_set_source_surface(cr, copy, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_unmap_image(picture->surface(), copy);
        shown = UIImage::imageWithSurface(owned, 1);
    };
    measureAgainstBaseline(state, framePath, library, newPicture);
    if (!read)
        state.SkipWithError("the code was not read");
    label(state);
}
} // namespace

BENCHMARK(FramePathOverLibrary)->ArgsProduct({{QRCode, BarCode, Blank}, {1, 0}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
