// Decoding pictures through UIImage, against the raw library decoding the same bytes into a
// plain buffer of the same pixels, the two timed in turns with their ratio in the counters: JPEG
// (baseline and progressive) and RGBA PNG at 1024 × 768, and an animated GIF of 20 frames.
#include "bench/RatioToBaseline.h"

#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/UIImage.h"

#include <benchmark/benchmark.h>

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int W = 1024, H = 768;

// Smooth colour with some noise, as photographs have.
UIImagePtr photo(bool alpha)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, W, H);
    auto* pixels = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
    std::mt19937 random(7);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const std::uint32_t a = alpha ? 128 + (x + y) % 128 : 255, n = random() % 24;
            const auto c = [&](std::uint32_t v) { return (std::min<std::uint32_t>(v + n, 255) * a) / 255; };
            pixels[y * W + x] = (a << 24) | (c(x * 255 / W) << 16) | (c(y * 255 / H) << 8) | c((x ^ y) & 255);
        }
    }
    cairo_surface_mark_dirty(surface);
    return UIImage::imageWithSurface(surface, 1);
}

const std::string& baselineJpeg()
{
    static const std::string bytes = *JpegCodec::encode(*photo(false), 0.85);
    return bytes;
}
const std::string& progressiveJpeg()
{
    static const std::string bytes = *JpegCodec::encode(*photo(false), 0.85, true);
    return bytes;
}
const std::string& rgbaPng()
{
    static const std::string bytes = *photo(true)->pngData();
    return bytes;
}

int appendToString(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

// 20 frames of 320 × 240, each a band moving over the last, 0.05 s apart.
const std::string& animatedGif()
{
    static const std::string bytes = [] {
        std::string out;
        int error = 0;
        GifFileType* gif = EGifOpen(&out, appendToString, &error);
        GifColorType colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i), static_cast<GifByteType>(i / 2)};
        ColorMapObject* map = GifMakeMapObject(256, colours);
        EGifPutScreenDesc(gif, 320, 240, 8, 0, map);
        std::vector<GifByteType> row(320);
        for (int frame = 0; frame < 20; ++frame) {
            GraphicsControlBlock gcb {DISPOSAL_UNSPECIFIED, false, 5, NO_TRANSPARENT_COLOR};
            GifByteType extension[4];
            EGifGCBToExtension(&gcb, extension);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
            EGifPutImageDesc(gif, 0, 0, 320, 240, false, nullptr);
            for (int y = 0; y < 240; ++y) {
                for (int x = 0; x < 320; ++x)
                    row[x] = static_cast<GifByteType>((x + y + frame * 12) & 255);
                EGifPutLine(gif, row.data(), 320);
            }
        }
        GifFreeMapObject(map);
        EGifCloseFile(gif, &error);
        return out;
    }();
    return bytes;
}

// The JPEG baseline: the library decoding straight into the rows of one BGRA buffer.
void rawJpeg(const std::string& bytes, std::vector<unsigned char>& buffer)
{
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    buffer.resize(std::size_t(cinfo.output_width) * cinfo.output_height * 4);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = buffer.data() + std::size_t(cinfo.output_scanline) * cinfo.output_width * 4;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

struct PngSource {
    const std::string* bytes;
    std::size_t offset;
};

void readPng(png_structp png, png_bytep out, png_size_t length)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->bytes->size() - source->offset < length)
        png_error(png, "short");
    std::memcpy(out, source->bytes->data() + source->offset, length);
    source->offset += length;
}

// The PNG baseline: libpng's row reader, transformed to BGRA as it reads, each row premultiplied
// (every colour times its alpha over 255) while it is in cache, as UIImage holds its pixels.
// libpng's simplified reader does the same work more slowly, so it is not the baseline.
bool rawPng(const std::string& bytes, std::vector<unsigned char>& buffer)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngSource source {&bytes, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, readPng);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const std::size_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    buffer.resize(width * height * 4);
    for (std::size_t y = 0; y < height; ++y) {
        unsigned char* row = buffer.data() + y * width * 4;
        png_read_row(png, row, nullptr);
        for (std::size_t i = 0; i < width * 4; i += 4) {
            const unsigned alpha = row[i + 3];
            for (std::size_t c = i; c < i + 3; ++c) {
                const unsigned t = row[c] * alpha + 128;
                row[c] = static_cast<unsigned char>((t + (t >> 8)) >> 8);
            }
        }
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    benchmark::DoNotOptimize(buffer.data());
    return true;
}

struct Reader {
    const std::string* bytes;
    std::size_t offset;
};

int readGif(GifFileType* gif, GifByteType* out, int length)
{
    auto* reader = static_cast<Reader*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(length, reader->bytes->size() - reader->offset);
    std::memcpy(out, reader->bytes->data() + reader->offset, n);
    reader->offset += n;
    return static_cast<int>(n);
}

// The library's slurp of every frame, then each frame's colours looked up into a canvas copy.
void rawGif(const std::string& bytes, std::vector<std::uint32_t>& canvas, std::vector<std::vector<std::uint32_t>>& frames)
{
    Reader reader {&bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, readGif, &error);
    DGifSlurp(gif);
    frames.clear();
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& frame = gif->SavedImages[i];
        const ColorMapObject* map = gif->SColorMap;
        for (int p = 0; p < 320 * 240; ++p) {
            const GifColorType& c = map->Colors[frame.RasterBits[p]];
            canvas[p] = 0xFF000000u | (c.Red << 16) | (c.Green << 8) | c.Blue;
        }
        frames.push_back(canvas);
    }
    DGifCloseFile(gif, &error);
}

// Each picture through UIImage against its raw decoding; a baseline that fails is an error.
template <class Raw>
void decodeAgainstRaw(benchmark::State& state, const std::string& bytes, Raw&& raw)
{
    bool decoded = true;
    measureAgainstBaseline(
        state, [&] { benchmark::DoNotOptimize(UIImage::imageWithData(bytes)); }, [&] { decoded = raw(bytes) && decoded; });
    if (!decoded)
        state.SkipWithError("the raw decoding failed");
}

void BM_JpegBaseline(benchmark::State& state)
{
    std::vector<unsigned char> buffer;
    decodeAgainstRaw(state, baselineJpeg(), [&](const std::string& bytes) { return rawJpeg(bytes, buffer), true; });
}

void BM_JpegProgressive(benchmark::State& state)
{
    std::vector<unsigned char> buffer;
    decodeAgainstRaw(state, progressiveJpeg(), [&](const std::string& bytes) { return rawJpeg(bytes, buffer), true; });
}

void BM_PngRgba(benchmark::State& state)
{
    std::vector<unsigned char> buffer;
    decodeAgainstRaw(state, rgbaPng(), [&](const std::string& bytes) { return rawPng(bytes, buffer); });
}

void BM_Gif20Frames(benchmark::State& state)
{
    std::vector<std::uint32_t> canvas(320 * 240);
    std::vector<std::vector<std::uint32_t>> frames;
    decodeAgainstRaw(state, animatedGif(), [&](const std::string& bytes) { return rawGif(bytes, canvas, frames), true; });
}

} // namespace

BENCHMARK(BM_JpegBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegProgressive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgba)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gif20Frames)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
