#include "platform/graphics/DecodeCost.h"

#include "platform/graphics/DecodeBudget.h"
#include "platform/graphics/PictureData.h"
#include "platform/graphics/PictureProblem.h"
#include "tests/support/HostilePictures.h"
#include "tests/support/TestPictures.h"

#include <gtest/gtest.h>

#include <string>

namespace {
// Whether a decode on the main thread, which never waits, runs while all of the shared budget but
// room is held; otherwise it must be refused for now.
bool decodesWithRoom(const std::string& bytes, std::size_t room)
{
    DecodeBudget& budget = DecodeBudget::shared();
    PictureProblem held, problem;
    const auto charge = budget.take(budget.limit() - room, held);
    const bool decoded = PictureData::decode(bytes, 1, problem) != nullptr;
    EXPECT_TRUE(decoded || problem.kind() == PictureProblem::Kind::NotNow) << problem.describe();
    return decoded;
}
} // namespace

// A decode is charged what its picture and its decoder hold, figured here from the picture's size,
// frames and components: with that much room left it runs, with a byte less it is refused, so the
// charge is exactly the figure.
TEST(DecodeCost, EachKindOfPictureIsChargedWhatItHolds)
{
    using namespace HostilePictures;
    constexpr int side = 256, small = 100, frames = 30;
    constexpr std::size_t pixels = side * side, surface = pixels * 4, smallSurface = small * small * 4;
    const struct {
        const char* name;
        std::string bytes;
        std::size_t holds;
    } cases[] = {
        {"PNG", solidPng(side, side, 0x336699), surface},
        {"baseline JPEG", plainJpeg(side, side, 3, false), surface},
        // Every coefficient, two bytes a pixel of a component: brightness whole, each colour at a
        // quarter of the pixels.
        {"progressive JPEG", plainJpeg(side, side, 3, true), surface + pixels * 2 * 3 / 2},
        {"progressive CMYK JPEG", plainJpeg(side, side, 4, true), surface + pixels * 2 * 4},
        // Every frame kept with its fixed cost, and beside them the canvas and the area a frame saves.
        {"animated GIF", gifOfFrames(small, small, {0, 0, small, small}, frames),
         frames * (smallSurface + PixelLimits::FrameOverheadBytes) + 2 * smallSurface},
    };
    for (const auto& c : cases) {
        const std::size_t charged = c.holds + DecodeCost::Working;
        EXPECT_TRUE(decodesWithRoom(c.bytes, charged)) << c.name;
        EXPECT_FALSE(decodesWithRoom(c.bytes, charged - 1)) << c.name;
    }
}
