#include "scan/QRCodeModules.h"

#include "platform/capture/PixelPicture.h"

#include <qrencode.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
QRecLevel toQREncode(QRCodeModules::Level level)
{
    switch (level) {
    case QRCodeModules::Level::L:
        return QR_ECLEVEL_L;
    case QRCodeModules::Level::M:
        return QR_ECLEVEL_M;
    case QRCodeModules::Level::Q:
        return QR_ECLEVEL_Q;
    case QRCodeModules::Level::H:
        break;
    }
    return QR_ECLEVEL_H;
}

std::uint32_t premultiplied(const UIColorPtr& color)
{
    const auto c = color ? color->rgba() : UIColor::blackColor()->rgba();
    const auto byte = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    const double a = std::clamp(c.alpha, 0.0, 1.0);
    return byte(a) << 24 | byte(c.red * a) << 16 | byte(c.green * a) << 8 | byte(c.blue * a);
}
} // namespace

std::optional<QRCodeModules> QRCodeModules::encode(const std::string& text, Level level)
{
    // Byte mode throughout: the text goes in as its UTF-8 bytes, whatever they are.
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(static_cast<int>(text.size()), reinterpret_cast<const unsigned char*>(text.data()), 0,
                          toQREncode(level)),
        QRcode_free);
    if (!code)
        return std::nullopt;
    QRCodeModules modules;
    modules.width = code->width;
    modules.dark.resize(static_cast<std::size_t>(code->width) * code->width);
    for (std::size_t i = 0; i < modules.dark.size(); ++i)
        modules.dark[i] = code->data[i] & 1;
    return modules;
}

UIImagePtr QRCodeModules::draw(CGSize pixelSize, const UIColorPtr& darkColor, const UIColorPtr& lightColor) const
{
    if (!std::isfinite(pixelSize.width) || !std::isfinite(pixelSize.height))
        return nullptr;
    const double w = std::trunc(pixelSize.width), h = std::trunc(pixelSize.height);
    if (!PixelLimits::allows(w, h) || width <= 0)
        return nullptr;
    const int pw = static_cast<int>(w), ph = static_cast<int>(h);
    const int module = std::min(pw, ph) / (width + 2 * QuietZone);
    if (module < 1)
        return nullptr;
    const std::uint32_t darkPixel = premultiplied(darkColor), lightPixel = premultiplied(lightColor);
    const int left = (pw - module * width) / 2, top = (ph - module * width) / 2;
    return pictureFromPixels(pw, ph, [&](int x, int y) {
        const int mx = x >= left ? (x - left) / module : -1, my = y >= top ? (y - top) / module : -1;
        const bool inside = my >= 0 && my < width && mx >= 0 && mx < width;
        return inside && isDark(mx, my) ? darkPixel : lightPixel;
    });
}
