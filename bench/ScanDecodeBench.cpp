// What reading a camera frame costs: zxing-cpp alone on a prepared luminance picture, against the
// camera stand-in's whole frame path (luminance over white, reading, type mapping), on a
// 1024 × 768 frame with a QR code turned a few degrees and on one without a code, with every
// code type asked for and with QR alone. The frame interval is 66 ms.
#include "platform/capture/AVCaptureMetadataOutput.h"
#include "platform/capture/CodeReader.h"
#include "platform/capture/MetadataCodeTypes.h"
#include "tests/support/CodeFrames.h"

#include <ZXing/ReadBarcode.h>

#include <benchmark/benchmark.h>

namespace {
UIImagePtr frame(bool withCode)
{
    static const UIImagePtr coded = codeFrame(
        {1024, 768}, {{"1001|存酒|20261206|13800000000", ZXing::BarcodeFormat::QRCode, {380, 260}, 7, 4}});
    static const UIImagePtr blank = codeFrame({1024, 768}, {});
    return withCode ? coded : blank;
}

std::vector<AVMetadataObjectType> types(bool allTypes)
{
    return allTypes ? MetadataCodeTypes::all() : std::vector<AVMetadataObjectType> {AVMetadataObjectTypeQRCode};
}

void label(benchmark::State& state)
{
    state.SetLabel(std::string(state.range(0) ? "code" : "blank") + (state.range(1) ? ", all types" : ", QR only") +
                   (state.range(2) ? ", new picture" : ""));
}

void LibraryAlone(benchmark::State& state)
{
    const auto luminance = LuminanceImage::fromImage(*frame(state.range(0)));
    ZXing::DecodeHints hints;
    hints.setFormats(MetadataCodeTypes::formatsFor(types(state.range(1))));
    hints.setCharacterSet("UTF-8");
    for (auto _ : state) {
        auto results = ZXing::ReadBarcodes(luminance.view(), hints);
        if (state.range(0) && results.empty())
            state.SkipWithError("the code was not read");
        benchmark::DoNotOptimize(results);
    }
    label(state);
}

// Third argument 1: every frame is a new picture (a real camera); 0: the same picture again, as
// the stand-in's cycle of pictures shows it.
void FramePath(benchmark::State& state)
{
    const auto picture = frame(state.range(0));
    auto output = AVCaptureMetadataOutput::create();
    output->setMetadataObjectTypes(types(state.range(1)));
    UIImagePtr shown = picture;
    for (auto _ : state) {
        if (state.range(2)) {
            state.PauseTiming();
            cairo_surface_t* copy = cairo_surface_map_to_image(picture->surface(), nullptr);
            cairo_surface_t* owned = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture->pixelWidth(), picture->pixelHeight());
            cairo_t* cr = cairo_create(owned);
            cairo_set_source_surface(cr, copy, 0, 0);
            cairo_paint(cr);
            cairo_destroy(cr);
            cairo_surface_unmap_image(picture->surface(), copy);
            shown = UIImage::imageWithSurface(owned, 1);
            state.ResumeTiming();
        }
        auto batch = output->recognise(shown);
        if (state.range(0) && batch.empty())
            state.SkipWithError("the code was not read");
        benchmark::DoNotOptimize(batch);
    }
    label(state);
}
} // namespace

BENCHMARK(LibraryAlone)->ArgsProduct({{1, 0}, {1, 0}, {0}})->Unit(benchmark::kMillisecond);
BENCHMARK(FramePath)->ArgsProduct({{1, 0}, {1, 0}, {1, 0}})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
