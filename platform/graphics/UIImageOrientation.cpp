#include "platform/graphics/UIImageOrientation.h"

#include <numbers>

namespace ImageOrientation {

UIImageOrientation fromExif(int value)
{
    switch (value) {
    case 2: return UIImageOrientation::UpMirrored;
    case 3: return UIImageOrientation::Down;
    case 4: return UIImageOrientation::DownMirrored;
    case 5: return UIImageOrientation::LeftMirrored;
    case 6: return UIImageOrientation::Right;
    case 7: return UIImageOrientation::RightMirrored;
    case 8: return UIImageOrientation::Left;
    default: return UIImageOrientation::Up;
    }
}

bool swapsSides(UIImageOrientation orientation)
{
    switch (orientation) {
    case UIImageOrientation::Left:
    case UIImageOrientation::Right:
    case UIImageOrientation::LeftMirrored:
    case UIImageOrientation::RightMirrored:
        return true;
    default:
        return false;
    }
}

// A mirrored orientation is its plain turn applied to the picture flipped left to right.
void transformInto(cairo_t* cr, UIImageOrientation orientation, const CGRect& rect, int pixelWidth,
                   int pixelHeight)
{
    const double x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
    const double pw = pixelWidth, ph = pixelHeight;
    const auto base = static_cast<int>(orientation) >= 4 ? static_cast<int>(orientation) - 4
                                                         : static_cast<int>(orientation);
    switch (static_cast<UIImageOrientation>(base)) {
    case UIImageOrientation::Down:
        cairo_translate(cr, x + w, y + h);
        cairo_rotate(cr, std::numbers::pi);
        cairo_scale(cr, w / pw, h / ph);
        break;
    case UIImageOrientation::Left:
        cairo_translate(cr, x, y + h);
        cairo_rotate(cr, -std::numbers::pi / 2);
        cairo_scale(cr, h / pw, w / ph);
        break;
    case UIImageOrientation::Right:
        cairo_translate(cr, x + w, y);
        cairo_rotate(cr, std::numbers::pi / 2);
        cairo_scale(cr, h / pw, w / ph);
        break;
    default:
        cairo_translate(cr, x, y);
        cairo_scale(cr, w / pw, h / ph);
        break;
    }
    if (static_cast<int>(orientation) >= 4) {
        cairo_translate(cr, pw, 0);
        cairo_scale(cr, -1, 1);
    }
}

} // namespace ImageOrientation
