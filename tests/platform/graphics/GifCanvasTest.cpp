#include "platform/graphics/GifCanvas.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

// An index equal to the colour map's size is the first past it, and draws nothing, as every index
// past the map does: what lay under it stays, and the colour that happens to follow the map in
// memory (green here) never shows.
TEST(GifCanvas, AnIndexFromTheColourMapsSizeOnDrawsNothing)
{
    std::array<GifColorType, 3> colours {{{230, 30, 30}, {30, 30, 230}, {30, 230, 30}}};
    const ColorMapObject map {2, 1, false, colours.data()};
    GifCanvas canvas(4, 2);
    const GifCanvas::Rect screen {0, 0, 4, 2};
    const GifByteType red[4] = {0, 0, 0, 0}, pastTheMap[4] = {2, 3, 1, 2};
    canvas.drawRow(0, screen, screen, red, map, NO_TRANSPARENT_COLOR);
    canvas.drawRow(0, screen, screen, pastTheMap, map, NO_TRANSPARENT_COLOR);
    canvas.drawRow(1, screen, screen, pastTheMap, map, NO_TRANSPARENT_COLOR);
    const auto picture = canvas.picture(1, true);
    ASSERT_TRUE(picture);
    std::string shown;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            const auto p = picture->pixelAt(x, y);
            shown += p.alpha == 0 ? '.' : p.red == 230 ? 'r' : p.blue == 230 ? 'b' : p.green == 230 ? 'g' : '?';
        }
    }
    EXPECT_EQ(shown, "rrbr..b.");
}
