#include "platform/graphics/ExifOrientation.h"
#include "platform/graphics/PictureData.h"

#include "platform/graphics/GifCodec.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HeapPeak.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/ProcessCounters.h"
#include "tests/support/TestPictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace {
bool reddish(const UIImage::Pixel& p) { return p.red > 200 && p.blue < 60 && p.green < 60; }
bool bluish(const UIImage::Pixel& p) { return p.blue > 200 && p.red < 60 && p.green < 60; }

// A picture drawn upright, so that orientation is checked by what a person would see.
UIImage::Pixel shownAt(const UIImage& image, double x, double y)
{
    return image.uprightImage()->pixelAt(static_cast<int>(x), static_cast<int>(y));
}
} // namespace

struct PictureCase {
    const char* file;
    CGSize shown;
    UIImageOrientation orientation;
    int alpha; // expected alpha of the left half
};
// Printed by name in test listings and failures.
inline void PrintTo(const PictureCase& row, std::ostream* out) { *out << row.file; }

class DecodesEveryFormat : public ::testing::TestWithParam<PictureCase> {};

TEST_P(DecodesEveryFormat, RedLeftBlueRightAsShown)
{
    const auto& c = GetParam();
    const auto image = UIImage::imageWithData(testPicture(c.file), 1);
    ASSERT_TRUE(image) << c.file;
    EXPECT_EQ(image->size(), c.shown);
    EXPECT_EQ(image->orientation(), c.orientation);
    // Quarter-turned pictures were red on the left as stored: shown, red is on top.
    const bool turned = c.shown.height > c.shown.width;
    const auto first = turned ? shownAt(*image, 4, 1) : shownAt(*image, 1, 4);
    const auto second = turned ? shownAt(*image, 4, 14) : shownAt(*image, 14, 4);
    EXPECT_TRUE(reddish(first)) << c.file << " " << int(first.red) << "," << int(first.green) << "," << int(first.blue);
    EXPECT_TRUE(bluish(second)) << c.file;
    EXPECT_NEAR(first.alpha, c.alpha, 2) << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, DecodesEveryFormat,
    ::testing::Values(PictureCase {"photo.jpg", {16, 8}, UIImageOrientation::Up, 255},
                      PictureCase {"progressive.jpg", {16, 8}, UIImageOrientation::Up, 255},
                      PictureCase {"cmyk.jpg", {16, 8}, UIImageOrientation::Up, 255},
                      PictureCase {"exif6-mm.jpg", {8, 16}, UIImageOrientation::Right, 255},
                      PictureCase {"exif6-ii.jpg", {8, 16}, UIImageOrientation::Right, 255},
                      PictureCase {"interlaced.png", {16, 8}, UIImageOrientation::Up, 128},
                      PictureCase {"still.gif", {16, 8}, UIImageOrientation::Up, 255},
                      PictureCase {"picture.webp", {16, 8}, UIImageOrientation::Up, 255},
                      PictureCase {"alpha.webp", {16, 8}, UIImageOrientation::Up, 128}),
    [](const ::testing::TestParamInfo<PictureCase>& param) { return rowName(param.param.file); });

TEST(PictureDecoding, GreyJpegAndAnimatedGif)
{
    const auto grey = UIImage::imageWithData(testPicture("grey.jpg"));
    ASSERT_TRUE(grey);
    const auto left = grey->pixelAt(1, 4), right = grey->pixelAt(14, 4);
    EXPECT_EQ(left.red, left.blue);
    EXPECT_GT(left.red, right.red); // red is the lighter grey

    // Delays 0, 0.2 and 0.01 s: the short ones count as 0.1 s. The middle frame is transparent
    // over the red one before it, which stays.
    const auto gif = UIImage::imageWithData(testPicture("animated.gif"));
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->images().size(), 3u);
    EXPECT_NEAR(gif->duration(), 0.4, 1e-9);
    EXPECT_TRUE(reddish(gif->images()[1]->pixelAt(3, 3)));
    EXPECT_TRUE(bluish(gif->images()[2]->pixelAt(3, 3)));
}

namespace {
struct Hostile {
    std::string bytes;
    std::string why; // how what the decoders say of it begins
    bool inHeader; // seen from the header alone
};

std::vector<Hostile> brokenAndHostilePictures()
{
    const std::string jpeg = testPicture("photo.jpg"), png = testPicture("interlaced.png"), gif = testPicture("animated.gif");
    std::string hugeJpeg = jpeg;
    for (std::size_t i = 2; i + 8 < hugeJpeg.size(); ++i) {
        if (static_cast<unsigned char>(hugeJpeg[i]) == 0xFF && static_cast<unsigned char>(hugeJpeg[i + 1]) == 0xC0) {
            hugeJpeg[i + 5] = hugeJpeg[i + 6] = hugeJpeg[i + 7] = hugeJpeg[i + 8] = '\xFF'; // 65535 × 65535
            break;
        }
    }
    std::string wideJpeg = hugeJpeg; // 40000 × 40000: within the library's limit, beyond ours
    wideJpeg.replace(wideJpeg.find(std::string("\xFF\xFF\xFF\xFF", 4)), 4, std::string("\x9C\x40\x9C\x40", 4));
    std::string hugeGif = gif;
    hugeGif[6] = hugeGif[7] = hugeGif[8] = hugeGif[9] = '\xFF'; // logical screen 65535 × 65535
    std::string corruptPng = png;
    corruptPng[200] ^= 0x5A; // in the pixel data, whose checksum then fails
    // Thirteen small frames on a 2048 × 2048 canvas: together beyond what an animation may hold.
    const std::string still = testPicture("still.gif"); // header, screen, colours; then a frame and ';'
    std::string manyFrames = still.substr(0, 6) + std::string("\0\x08\0\x08", 4) + still.substr(10, 9);
    for (int i = 0; i < 13; ++i)
        manyFrames += still.substr(19, still.size() - 20) + (i == 12 ? ";" : "");
    using namespace HostilePictures;
    const std::string budget = std::to_string(GifCodec::FrameBudget) + " pixels";
    const std::string pixels = "has more pixels than the program decodes (";
    return {
        {jpeg.substr(0, jpeg.size() - 20), "cannot be decoded: Premature end of JPEG file", true},
        {png.substr(0, png.size() - 20), "cannot be decoded: picture data ends early", false},
        {gif.substr(0, gif.size() - 10), "cannot be decoded: Failed to read from given file", true},
        {hugeJpeg, "cannot be decoded: Maximum supported image dimension is 65500 pixels", true},
        {wideJpeg, pixels + "40000 x 40000; at most 67108864 pixels, 32767 on a side)", true},
        {hugeGif, pixels + "65535 x 65535;", true},
        {pngSized(png, 100000, 100000), pixels + "100000 x 100000;", true},
        {HostilePictures::losslessWebp(16383, 16383, 1), pixels + "16383 x 16383;", true}, // within a side, not in pixels
        {corruptPng, "cannot be decoded: bad adaptive filter value", false},
        {manyFrames, "cannot be decoded: its frames together have more than 50331648 pixels", true},
        // Pictures of their own, each frame with its fixed cost: few pixels, too many frames.
        {gifOfFrames(1, 1, {}, 200'000), "cannot be decoded: its frames together have more than " + budget, true},
        // Each frame is decoded over all it declares, though the screen shows one pixel of it.
        {gifOfFrames(1, 1, {0, 0, 4000, 4000}, 4), "cannot be decoded: its frames together declare more than " + budget, true},
        // Data no encoder writes for one pixel, whatever it holds; a comment a byte a block past what
        // extensions may take; codes not yet in the table; the end code before the last pixel.
        {gifOfClearCodes(8000), "cannot be decoded: a frame's data is longer than its pixels can need (1 x 1: at most 67 bytes)", true},
        {gifOfCodes(1, 1, 2, gifCodes({4, 0, 5}, 3), 1, GifCodec::ExtensionBudget / 2),
         "cannot be decoded: its extensions hold more than 16777216 bytes", true},
        {gifOfCodes(2, 1, 2, gifCodes({4, 0, 7, 5}, 3)), "cannot be decoded: a frame's data is damaged", false},
        {gifOfCodes(2, 1, 2, gifCodes({4, 0, 5}, 3)), "cannot be decoded: a frame's data ends before its pixels", false},
        {jpegOfEmptyScans(64, 64, JpegCodec::MaxScans), "cannot be decoded: it has more than 100 scans", false},
        {"RIFF\x10\0\0\0WEBPVP8 garbage", "is not a picture", true}, // ends at the first zero
        {std::string("RIFF\x10\0\0\0WEBPVP8 garbage", 24), "cannot be decoded: the WebP data", true},
        {std::string("\xFF\xD8\xFF", 3), "cannot be decoded: ", true},
        {"<html>not found</html>", "is not a picture", true},
        {"", "is not a picture", true},
    };
}
} // namespace

TEST(PictureDecoding, BrokenAndHostilePicturesGiveNothing)
{
    for (const auto& hostile : brokenAndHostilePictures())
        EXPECT_FALSE(UIImage::imageWithData(hostile.bytes)) << hostile.bytes.size();
    EXPECT_FALSE(UIImage::imageWithContentsOfFile("/nonexistent/picture.png"));
}

// Each decoder says why it made nothing, in its library's own words for damaged data; what the
// header shows (the size, the frames, the format) is said from the header alone, which also gives
// the size and frames of a good picture without decoding it.
TEST(PictureDecoding, SaysWhyAPictureGivesNothingAndReadsTheSizeFromTheHeader)
{
    for (const auto& hostile : brokenAndHostilePictures()) {
        SCOPED_TRACE(hostile.why);
        PictureProblem decoding, probing;
        EXPECT_FALSE(PictureData::decode(hostile.bytes, 1, decoding));
        EXPECT_EQ(decoding.describe().substr(0, hostile.why.size()), hostile.why) << decoding.describe();
        const auto header = PictureData::probe(hostile.bytes, probing);
        EXPECT_EQ(!header, hostile.inHeader);
        if (!header) {
            EXPECT_EQ(probing.describe().substr(0, hostile.why.size()), hostile.why) << probing.describe();
        }
    }
    const std::pair<const char*, PictureHeader> good[] = {
        {"photo.jpg", {16, 8}}, {"exif6-mm.jpg", {16, 8}}, {"interlaced.png", {16, 8}},
        {"animated.gif", {16, 8, 3}}, {"picture.webp", {16, 8}},
    };
    for (const auto& [file, expected] : good) {
        PictureProblem problem;
        const auto header = PictureData::probe(testPicture(file), problem);
        ASSERT_TRUE(header) << file << ": " << problem.describe();
        EXPECT_EQ(std::tuple(header->width, header->height, header->frames),
                  std::tuple(expected.width, expected.height, expected.frames)) << file;
    }
}

// A picture within the bounds still shows: an animation of a few hundred frames of a few hundred
// pixels a side, a progressive JPEG of as many scans as are allowed.
TEST(PictureDecoding, OrdinaryAnimationsAndProgressivePicturesAreWithinTheBounds)
{
    PictureProblem problem;
    const auto animation = PictureData::probe(HostilePictures::gifOfFrames(300, 300, {0, 0, 300, 300}, 300), problem);
    ASSERT_TRUE(animation) << problem.describe();
    EXPECT_EQ(animation->frames, 300);
    const auto scans = PictureData::decode(HostilePictures::jpegOfEmptyScans(64, 64, JpegCodec::MaxScans - 1), 1, problem);
    ASSERT_TRUE(scans) << problem.describe();
    EXPECT_EQ(scans->pixelWidth(), 64);
}

// Whatever an encoder wrote within the bounds shows: codes of every width up to 12 bits with the
// table filled and started again (noise), an encoder that clears every few codes, and a frame whose
// data is all clear codes but one a pixel, as much as the bound allows, in little time.
TEST(PictureDecoding, AGifsCodesShowWhateverTheEncoderWrote)
{
    constexpr int w = 200, h = 150;
    std::vector<std::uint8_t> noise(w * h);
    std::uint32_t seed = 12345;
    for (auto& index : noise)
        index = static_cast<std::uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
    const auto colourAt = [](const UIImage& image, int x, int y) {
        const auto p = image.pixelAt(x, y);
        return p.red == p.blue ? p.red : p.red == 230 ? 0 : 1; // a grey of its index's level, or red or blue
    };
    const auto noisy = UIImage::imageWithData(HostilePictures::gifOf(w, h, {{0, 0, w, h, DISPOSE_DO_NOT, 0, noise}}, 0, 8));
    ASSERT_TRUE(noisy);
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            wrong += colourAt(*noisy, x, y) != noise[static_cast<std::size_t>(y * w + x)];
    EXPECT_EQ(wrong, 0);
    // Codes of 9 bits: a clear code, then two pixels (blue, then black).
    std::vector<int> cleared;
    for (int i = 0; i < 4; ++i)
        cleared.insert(cleared.end(), {256, 1, 200});
    cleared.push_back(257);
    const auto few = UIImage::imageWithData(HostilePictures::gifOfCodes(8, 1, 8, HostilePictures::gifCodes(cleared, 9)));
    ASSERT_TRUE(few);
    EXPECT_TRUE(bluish(few->pixelAt(6, 0)));
    const auto black = few->pixelAt(7, 0);
    EXPECT_EQ(std::tuple(black.red + black.green + black.blue, int(black.alpha)), std::tuple(0, 255));
    // Six clear codes before each pixel, 21 bytes for eight pixels: 50 million clear codes, which
    // took giflib's decoder some 25 s.
    constexpr int side = 2896;
    std::vector<int> eight;
    for (int i = 0; i < 8; ++i)
        eight.insert(eight.end(), {4, 4, 4, 4, 4, 4, 0});
    const std::string unit = HostilePictures::gifCodes(eight, 3);
    std::string codes;
    for (int i = 0; i < side * side / 8; ++i)
        codes += unit;
    const std::string clears = HostilePictures::gifOfCodes(side, side, 2, codes + HostilePictures::gifCodes({5}, 3));
    // The thread sanitizer checks each of the decoder's steps, ten times slower or more; the
    // library's decoder, which it does not check, would then pass too.
    const int status = ChildProcess::run([] { return true; }, [&] {
        const auto picture = UIImage::imageWithData(clears);
        return picture && picture->pixelAt(side - 1, side - 1).red == 230 ? 0 : 1;
    }, ChildProcess::UnderThreadSanitizer ? 60 : 12);
    EXPECT_EQ(status, 0) << ChildProcess::meaning(status, "the clear codes were not decoded");
}

// As many frames as the budget allows are counted in a moment, and nothing of a frame is kept once
// it is counted: no work or memory grows with the frames read before. (The GIF library would keep a
// copy of every frame's descriptor and colour map.)
TEST(PictureDecoding, AGifsFramesAreCountedInLittleTimeAndMemory)
{
    const std::string gif = HostilePictures::gifOfFrames(1, 1, {}, 190'000);
    const std::string coloured = HostilePictures::gifOfFrames(1, 1, {.localColours = true}, 20'000);
    constexpr int TooMuchHeld = 2;
    const std::size_t mostHeld = 4 << 20; // the frames' colour maps alone are 15 MB
    const int status = ChildProcess::run([] { return true; }, [&] {
        PictureProblem problem;
        const auto header = PictureData::probe(gif, problem);
        if (!header || header->frames != 190'000)
            return 1;
        const bool measured = HeapPeak::available();
        HeapPeak::start();
        const auto colouredHeader = PictureData::probe(coloured, problem);
        const std::size_t held = HeapPeak::stop();
        if (!colouredHeader || colouredHeader->frames != 20'000)
            return 1;
        return measured && held > mostHeld ? TooMuchHeld : 0;
    }, 20);
    EXPECT_EQ(status, 0) << (status == TooMuchHeld ? "counting held more than " + std::to_string(mostHeld) + " bytes"
                                                   : ChildProcess::meaning(status, "the frames were not counted"));
}

// A still GIF costs its picture: the canvas its frame is drawn on becomes the picture, whatever the
// frame's disposal, with no copy of it or of its colour indexes beside it.
TEST(PictureDecoding, AStillGifCostsOnePicture)
{
    constexpr int side = 4096;
    const std::string gif = HostilePictures::gifOfFrames(side, side, {0, 0, side, side, DISPOSE_PREVIOUS}, 1);
    ASSERT_TRUE(ProcessCounters::resetPeakResident());
    const auto before = ProcessCounters::peakResidentBytes();
    const auto picture = UIImage::imageWithData(gif);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixelAt(side - 1, side - 1).blue, 230);
    // ThreadSanitizer's shadow of what is written takes four times the bytes.
    const std::size_t pictureBytes = std::size_t {side} * side * 4, shadowed = ChildProcess::UnderThreadSanitizer ? 5 : 1;
    EXPECT_LT(ProcessCounters::peakResidentBytes() - before, (pictureBytes + pictureBytes / 8) * shadowed);
}

// Each frame of an animation shows the screen as its frames before it left it: a frame disposed of
// as "restore previous" gives back what lay under it, one disposed of as "background" clears it.
TEST(PictureDecoding, AGifsFramesAreDisposedOfAsTheySay)
{
    const std::string plain = HostilePictures::gifOf(
        4, 1, {{0, 0, 4, 1, DISPOSE_DO_NOT, 0}, {1, 0, 1, 1, DISPOSE_PREVIOUS, 1}, {2, 0, 1, 1, DISPOSE_BACKGROUND, 1},
               {3, 0, 1, 1, DISPOSE_DO_NOT, 1}});
    // The same with a comment between each frame's control (8 bytes) and the frame.
    std::string commented = plain;
    for (auto at = commented.find("\x21\xF9\x04"); at != std::string::npos; at = commented.find("\x21\xF9\x04", at + 1))
        commented.insert(at + 8, "\x21\xFE\x01#\x00", 5);
    for (const auto& file : {plain, commented}) {
        const auto gif = UIImage::imageWithData(file);
        ASSERT_TRUE(gif);
        ASSERT_EQ(gif->images().size(), 4u);
        std::vector<std::string> shown;
        for (const auto& frame : gif->images()) {
            std::string pixels;
            for (int x = 0; x < 4; ++x) {
                const auto pixel = frame->pixelAt(x, 0);
                pixels += pixel.alpha == 0 ? '.' : reddish(pixel) ? 'r' : bluish(pixel) ? 'b' : '?';
            }
            shown.push_back(pixels);
        }
        EXPECT_EQ(shown, (std::vector<std::string> {"rrrr", "rbrr", "rrbr", "rr.b"})) << (file == plain ? "" : "commented");
    }
}

namespace {
// A picture as a person sees it: '.' transparent, 'r' red, 'b' blue, '?' anything else; rows
// parted by '|'.
std::string shown(const UIImage& image)
{
    std::string out;
    for (int y = 0; y < image.pixelHeight(); ++y) {
        for (int x = 0; x < image.pixelWidth(); ++x) {
            const auto pixel = image.pixelAt(x, y);
            out += pixel.alpha == 0 ? '.' : reddish(pixel) ? 'r' : bluish(pixel) ? 'b' : '?';
        }
        out += y + 1 < image.pixelHeight() ? "|" : "";
    }
    return out;
}

struct CanvasCase {
    const char* name;
    int width, height;
    std::vector<HostilePictures::GifFrame> frames;
    const char* last; // the last frame's picture
};
inline void PrintTo(const CanvasCase& row, std::ostream* out) { *out << row.name; }
} // namespace

class AGifCanvas : public ::testing::TestWithParam<CanvasCase> {};

// Each frame lands on the screen where it says, no row or column of it past the screen or its own
// edges, and only the area it covers is given back when it is disposed of.
TEST_P(AGifCanvas, ShowsEachFrameWhereItLies)
{
    const auto& c = GetParam();
    const auto gif = UIImage::imageWithData(HostilePictures::gifOf(c.width, c.height, c.frames));
    ASSERT_TRUE(gif);
    const auto& last = gif->images().empty() ? gif : gif->images().back();
    EXPECT_EQ(shown(*last), c.last);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, AGifCanvas,
    ::testing::Values(
        // Sixteen rows stored in four passes (rows 0 and 8, 4 and 12, then every other even row, then
        // the odd rows): each pass's rows land where they belong.
        CanvasCase {"interlaced", 1, 16, {{0, 0, 1, 16, DISPOSE_DO_NOT, 0, {0, 1, 1, 0, 0, 0, 1, 1, 1, 0, 1, 0, 0, 1, 1, 0}, true}},
                    "r|b|b|r|r|r|b|b|b|r|b|r|r|b|b|r"},
        CanvasCase {"lower", 1, 4, {{0, 2, 1, 2, DISPOSE_DO_NOT, 1}}, ".|.|b|b"},
        CanvasCase {"below", 1, 4, {{0, 2, 1, 5, DISPOSE_DO_NOT, 1}}, ".|.|b|b"},
        CanvasCase {"narrower", 3, 1, {{1, 0, 1, 1, DISPOSE_DO_NOT, 1}}, ".b."},
        // A frame restored as it was, on the third row: what lay under it there, not on the first.
        CanvasCase {"restored-lower",
                    1,
                    3,
                    {{0, 0, 1, 3, DISPOSE_DO_NOT, 0}, {0, 0, 1, 1, DISPOSE_DO_NOT, 1}, {0, 2, 1, 1, DISPOSE_PREVIOUS, 1},
                     {0, 1, 1, 1, DISPOSE_DO_NOT, 1}},
                    "b|b|r"}),
    [](const ::testing::TestParamInfo<CanvasCase>& param) { return rowName(param.param.name); });

// An index past the colour map draws nothing, and the canvas starts transparent even on the memory
// of a picture let go just before, of the same size.
TEST(PictureDecoding, AGifCanvasDrawsOnlyItsColours)
{
    std::string pastTheMap = HostilePictures::gifOfCodes(2, 1, 2, HostilePictures::gifCodes({4, 3, 1, 5}, 3));
    pastTheMap.erase(13 + 6, 6); // two colours left of four
    pastTheMap[10] = '\x80';
    const auto past = UIImage::imageWithData(pastTheMap);
    ASSERT_TRUE(past);
    EXPECT_EQ(shown(*past), ".b");
    constexpr int side = 512; // a picture the surfaces' pool keeps
    EXPECT_TRUE(UIImage::imageWithData(HostilePictures::gifOfFrames(side, side, {0, 0, side, side}, 1)));
    const auto small = UIImage::imageWithData(HostilePictures::gifOfFrames(side, side, {0, 0, 1, 1}, 1));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->pixelAt(side / 2, side / 2).alpha, 0);
}

// A JPEG whose data ends early is refused as soon as a row is read past its end, its other rows
// never made: a header alone costs what the decoder holds before the rows, the coefficients of a
// progressive picture, and not the picture besides.
TEST(PictureDecoding, AJpegWhoseDataEndsEarlyIsRefusedAtItsFirstRowPastTheEnd)
{
    constexpr int side = 4096;
    // Two bytes a pixel for brightness, and for colour at half resolution each way a quarter of that
    // twice; the picture would take four bytes a pixel more.
    constexpr std::size_t coefficients = std::size_t {side} * side * 3;
    const std::size_t shadowed = ChildProcess::UnderThreadSanitizer ? 5 : 1;
    for (const bool progressive : {false, true}) {
        const std::string header = HostilePictures::jpegHeaderOnly(side, side, 3, progressive);
        ASSERT_TRUE(ProcessCounters::resetPeakResident());
        const auto before = ProcessCounters::peakResidentBytes();
        PictureProblem problem;
        EXPECT_FALSE(PictureData::decode(header, 1, problem));
        EXPECT_EQ(problem.describe(), "cannot be decoded: Premature end of JPEG file");
        EXPECT_LT(ProcessCounters::peakResidentBytes() - before, ((progressive ? coefficients : 0) + (16u << 20)) * shadowed)
            << (progressive ? "progressive" : "baseline");
    }
}

// The chunks beside a PNG's pixels get no memory for the length they claim, and text the program
// never reads is neither unpacked nor kept: such a picture costs what its pixels do.
TEST(PictureDecoding, APngsOtherChunksTakeNoMemory)
{
    using namespace HostilePictures;
    const std::string zText = pngOfPackedText("zTXt", 40, 7'000'000), iText = pngOfPackedText("iTXt", 40, 7'000'000);
    ASSERT_TRUE(ProcessCounters::resetPeakResident());
    const auto before = ProcessCounters::peakResidentBytes();
    for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "pCAL", "sCAL", "iCCP"}) {
        PictureProblem problem;
        EXPECT_FALSE(PictureData::decode(pngClaimingAChunk(type), 1, problem));
        EXPECT_EQ(problem.describe(), "cannot be decoded: picture data ends early") << type;
    }
    for (const auto& packed : {zText, iText}) {
        PictureProblem problem;
        const auto picture = PictureData::decode(packed, 1, problem);
        ASSERT_TRUE(picture) << problem.describe();
        EXPECT_EQ(picture->pixelAt(0, 0).red, 0x80);
    }
    EXPECT_LT(ProcessCounters::peakResidentBytes() - before, 32u << 20);
    // What the pixels need is still read: a palette's transparency.
    const std::string palette = std::string("\x89PNG\r\n\x1A\n", 8)
        + pngChunk("IHDR", bigEndian(2) + bigEndian(1) + std::string("\x08\x03\0\0\0", 5))
        + pngChunk("PLTE", std::string("\xFF\0\0\0\0\xFF", 6)) + pngChunk("tRNS", std::string("\0", 1))
        + pngChunk("IDAT", deflated(std::string("\0\0\1", 3))) + pngChunk("IEND", "");
    const auto transparent = UIImage::imageWithData(palette);
    ASSERT_TRUE(transparent);
    EXPECT_EQ(transparent->pixelAt(0, 0).alpha, 0);
    EXPECT_EQ(transparent->pixelAt(1, 0).blue, 0xFF);
}

TEST(PictureDecoding, GifFramesReachingBeyondTheCanvasAreClipped)
{
    std::string gif = testPicture("still.gif");
    // The image descriptor follows the header, the global colour table and any extensions.
    const auto at = gif.find('\x2C', 13);
    ASSERT_NE(at, std::string::npos);
    gif[at + 1] = '\x0C'; // left 12 of a 16-wide canvas, 16 wide
    const auto image = UIImage::imageWithData(gif);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixelWidth(), 16);
    EXPECT_TRUE(reddish(image->pixelAt(13, 4)));
    EXPECT_EQ(image->pixelAt(2, 4).alpha, 0);
}

TEST(PictureDecoding, PartialJpegShowsReceivedRowsAtTheTop)
{
    const std::string whole = halvesJpeg(256, 256);
    const auto full = UIImage::imageWithPartialData(whole);
    ASSERT_TRUE(full);
    const auto partial = UIImage::imageWithPartialData(whole.substr(0, whole.size() * 3 / 5));
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->pixelHeight(), 256);
    EXPECT_TRUE(reddish(partial->pixelAt(10, 2)));
    EXPECT_EQ(partial->pixelAt(10, 250).alpha, 0);
    EXPECT_FALSE(UIImage::imageWithData(whole.substr(0, whole.size() * 3 / 5)));
    // A progressive picture shows every row from its first scans.
    const std::string progressive = halvesJpeg(256, 256, true);
    const auto rough = UIImage::imageWithPartialData(progressive.substr(0, progressive.size() * 3 / 5));
    ASSERT_TRUE(rough);
    EXPECT_EQ(rough->pixelAt(10, 250).alpha, 255);
    // The camera's turn (an EXIF block taken from another picture) is known before the pixels.
    const std::string turned = whole.substr(0, 2) + testPicture("exif6-mm.jpg").substr(2, 36) + whole.substr(2);
    const auto early = UIImage::imageWithPartialData(turned.substr(0, turned.size() * 3 / 5));
    ASSERT_TRUE(early);
    EXPECT_EQ(early->orientation(), UIImageOrientation::Right);
}

TEST(PictureDecoding, ExifReaderStaysWithinItsBytes)
{
    const std::string good = testPicture("exif6-ii.jpg");
    EXPECT_EQ(ExifOrientation::readFromJpeg(good), 6);
    for (std::size_t cut = 0; cut < 38; ++cut)
        EXPECT_EQ(ExifOrientation::readFromJpeg(good.substr(0, cut)), 1) << cut;
    const std::string tiff = good.substr(12, 26); // II header, one entry
    std::string badType = tiff;
    badType[12] = 4; // LONG instead of SHORT
    std::string farIfd = tiff;
    farIfd[4] = '\x7F';
    for (const auto& bytes : {tiff.substr(0, 20), badType, farIfd, std::string("MM\0\x2A", 4)})
        EXPECT_EQ(ExifOrientation::readFromTiff(bytes), 1);
    EXPECT_EQ(ExifOrientation::readFromTiff(tiff), 6);
}
