#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIImage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The dark and light modules of a QR code, as libqrencode lays them out.
struct QRCodeModules {
    enum class Level { L, M, Q, H };
    // Modules left light around the code on every side.
    static constexpr int QuietZone = 4;

    int width = 0; // modules per side, without the quiet zone
    std::vector<std::uint8_t> dark;

    // Text as UTF-8 bytes; nothing when it does not fit a code of that level.
    static std::optional<QRCodeModules> encode(const std::string& text, Level level);
    bool isDark(int x, int y) const { return dark[static_cast<std::size_t>(y) * width + x] != 0; }

    // A picture of pixelWidth × pixelHeight (whole pixels of the size given), light all over, with
    // the code in whole-pixel modules centred on it and its quiet zone inside. Null when the size
    // is not finite or positive, is past the pixel limits, or leaves less than a pixel a module.
    UIImagePtr draw(CGSize pixelSize, const UIColorPtr& darkColor, const UIColorPtr& lightColor) const;
};
