#include "platform/graphics/PictureData.h"
#include "platform/graphics/PictureProblem.h"
#include "tests/support/HostilePictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {
struct Slurp {
    std::string_view bytes;
    std::size_t offset = 0;
};

int readSlurp(GifFileType* gif, GifByteType* out, int length)
{
    auto* slurp = static_cast<Slurp*>(gif->UserData);
    const auto n = std::min(static_cast<std::size_t>(length), slurp->bytes.size() - slurp->offset);
    std::memcpy(out, slurp->bytes.data() + slurp->offset, n);
    slurp->offset += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using Giflib = std::unique_ptr<GifFileType, GifCloser>;

// The file as giflib's own decoder reads it, every frame's indexes in display order; null if it
// refuses it.
Giflib giflibReads(std::string_view bytes)
{
    Slurp slurp {bytes};
    int error = 0;
    Giflib gif(DGifOpen(&slurp, readSlurp, &error));
    return gif && DGifSlurp(gif.get()) == GIF_OK ? std::move(gif) : nullptr;
}

std::uint32_t argb(const UIImage::Pixel& p)
{
    return std::uint32_t {p.alpha} << 24 | std::uint32_t {p.red} << 16 | std::uint32_t {p.green} << 8 | p.blue;
}

// What each frame should show, composed plainly from giflib's reading: a frame's pixels on the screen
// but for the transparent index and those past its colour map, then the frame disposed of.
std::vector<std::vector<std::uint32_t>> composed(GifFileType& gif)
{
    const int w = gif.SWidth, h = gif.SHeight;
    std::vector<std::uint32_t> screen(static_cast<std::size_t>(w * h), 0);
    std::vector<std::vector<std::uint32_t>> shown;
    for (int i = 0; i < gif.ImageCount; ++i) {
        const SavedImage& frame = gif.SavedImages[i];
        const GifImageDesc& d = frame.ImageDesc;
        const ColorMapObject& map = d.ColorMap ? *d.ColorMap : *gif.SColorMap;
        GraphicsControlBlock control;
        DGifSavedExtensionToGCB(&gif, i, &control);
        const auto before = screen;
        for (int y = d.Top; y < std::min(h, d.Top + d.Height); ++y) {
            for (int x = d.Left; x < std::min(w, d.Left + d.Width); ++x) {
                const int index = frame.RasterBits[(y - d.Top) * d.Width + (x - d.Left)];
                const GifColorType* c = index < map.ColorCount ? &map.Colors[index] : nullptr;
                if (c && index != control.TransparentColor)
                    screen[static_cast<std::size_t>(y * w + x)] = argb({c->Red, c->Green, c->Blue, 255});
            }
        }
        shown.push_back(screen);
        if (control.DisposalMode == DISPOSE_PREVIOUS)
            screen = before;
        for (int y = d.Top; control.DisposalMode == DISPOSE_BACKGROUND && y < std::min(h, d.Top + d.Height); ++y)
            std::fill(screen.begin() + y * w + d.Left, screen.begin() + y * w + std::min(w, d.Left + d.Width), 0u);
    }
    return shown;
}

// Where the program's decoding of bytes first differs from giflib's read through the compositor
// above; empty when it shows the same in every frame.
std::string firstDifference(const std::string& bytes)
{
    const Giflib gif = giflibReads(bytes);
    PictureProblem problem;
    const auto picture = PictureData::decode(bytes, 1, problem);
    if (!gif || !picture)
        return gif ? "refused: " + problem.describe() : "giflib refuses it";
    const auto expected = composed(*gif);
    const auto& frames = picture->images().empty() ? std::vector {picture} : picture->images();
    if (frames.size() != expected.size())
        return std::to_string(frames.size()) + " frames";
    for (std::size_t i = 0; i < frames.size(); ++i) {
        for (int y = 0; y < gif->SHeight; ++y) {
            for (int x = 0; x < gif->SWidth; ++x) {
                if (argb(frames[i]->pixelAt(x, y)) != expected[i][static_cast<std::size_t>(y * gif->SWidth + x)])
                    return "frame " + std::to_string(i) + " at " + std::to_string(x) + "," + std::to_string(y);
            }
        }
    }
    return "";
}

// A GIF written by giflib's encoder from the seed: a screen of a few pixels a side or, one time in
// eight, of up to 200 x 150, whose codes then reach 12 bits and start the table again; one to four
// frames, each over the whole screen or anywhere on it, at times a pixel past it, with colour maps
// of 2 to 256 colours (codes of 2 to 8 bits), the screen's or its own, interlaced or not, with or
// without a transparent index and with every disposal. Its pixels are noise, or runs that make long
// strings; some lie past the map.
std::string randomGif(std::uint32_t seed)
{
    std::mt19937 random(seed);
    const auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto colours = [&below](int bits) {
        std::vector<GifColorType> map(std::size_t {1} << bits);
        for (auto& c : map)
            c = {GifByteType(below(256)), GifByteType(below(256)), GifByteType(below(256))};
        return GifMakeMapObject(1 << bits, map.data());
    };
    const bool large = below(8) == 0;
    const int w = 1 + below(large ? 200 : 24), h = 1 + below(large ? 150 : 24);
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, HostilePictures::appendGifBytes, &error);
    std::vector<ColorMapObject*> maps {below(4) ? colours(1 + below(8)) : nullptr};
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, w, h, 8, 0, maps[0]);
    for (int frames = 1 + below(4); frames > 0; --frames) {
        ColorMapObject* local = !maps[0] || below(3) == 0 ? maps.emplace_back(colours(1 + below(8))) : nullptr;
        if (!local) {
            // giflib's encoder would drop its copy of the map of the frame before, never freed.
            GifFreeMapObject(gif->Image.ColorMap);
            gif->Image.ColorMap = nullptr;
        }
        const int indexes = 1 << std::max(2, (local ? local : maps[0])->BitsPerPixel); // what the encoder keeps
        GraphicsControlBlock control {below(4), false, 0, below(3) ? NO_TRANSPARENT_COLOR : below(indexes)};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        const bool whole = below(2) == 0;
        HostilePictures::GifFrame frame {
            .left = whole ? 0 : below(w), .top = whole ? 0 : below(h), .interlaced = below(3) == 0};
        frame.width = whole ? w + below(2) : 1 + below(w + 1 - frame.left);
        frame.height = whole ? h + below(2) : 1 + below(h + 1 - frame.top);
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, local);
        const int alphabet = 1 + below(indexes), repeat = below(4);
        std::vector<GifPixelType> pixels(static_cast<std::size_t>(frame.width * frame.height));
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = GifPixelType(i > 0 && below(4) < repeat ? pixels[i - 1] : below(alphabet));
        for (const int y : HostilePictures::gifRowOrder(frame))
            EGifPutLine(gif, pixels.data() + y * frame.width, frame.width);
    }
    EGifCloseFile(gif, &error);
    for (ColorMapObject* map : maps)
        GifFreeMapObject(map);
    return out;
}
} // namespace

// A minimum code size of 1 lies outside the format, but giflib and the common decoders read it: the
// first free code (4) is past 2 bits at once, so every code after the first is 3 bits until the
// table reaches 8, then 4. These codes make 10 x 2 pixels of red (0) and blue (1): the clear code
// and 0 in 2 bits; 4 (the code made by this very one: 0 0), 1, 5, 6 in 3 bits; 7, 8 and a clear code
// in 4; then 1 in 2 bits, 0, 4 and the end in 3.
TEST(GifLzw, AMinimumCodeSizeOfOneIsReadAsCommonDecodersReadIt)
{
    HostilePictures::WebpBits bits;
    for (const auto& [code, width] : {std::pair {2, 2}, {0, 2}, {4, 3}, {1, 3}, {5, 3}, {6, 3}, {7, 4}, {8, 4}, {2, 4},
                                     {1, 2}, {0, 3}, {4, 3}, {3, 3}})
        bits.put(static_cast<std::uint32_t>(code), width);
    const std::string gif = HostilePictures::gifOfCodes(10, 2, 1, bits.bytes());
    PictureProblem problem;
    const auto picture = PictureData::decode(gif, 1, problem);
    ASSERT_TRUE(picture) << problem.describe();
    std::string shown;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 10; ++x) {
            const auto pixel = argb(picture->pixelAt(x, y));
            shown += pixel == 0xFFE61E1E ? 'r' : pixel == 0xFF1E1EE6 ? 'b' : '?';
        }
        shown += y == 0 ? "|" : "";
    }
    EXPECT_EQ(shown, "rrrbrrbbrr|rbbbrrbrbr");
    EXPECT_EQ(firstDifference(gif), "");
}

// Whatever giflib's encoder writes, the program shows as giflib reads it, frame by frame.
TEST(GifLzw, RandomGifsShowAsGiflibReadsThem)
{
    int differing = 0;
    for (std::uint32_t seed = 0; seed < 300 && differing < 5; ++seed) {
        const std::string difference = firstDifference(randomGif(seed));
        EXPECT_EQ(difference, "") << "seed " << seed;
        differing += !difference.empty();
    }
}
