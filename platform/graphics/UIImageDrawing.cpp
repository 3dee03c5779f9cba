// Drawing a picture into the current graphics context. Kept apart from UIImage.cpp so that the
// picture stays below the context, which draws and makes pictures.
#include "platform/graphics/UIImage.h"

#include "platform/graphics/UIGraphics.h"

void UIImage::drawInRect(const CGRect& rect) const
{
    if (auto context = UIGraphicsGetCurrentContext())
        context->drawImageUpright(rect, *this);
}

void UIImage::drawAtPoint(const CGPoint& point) const
{
    const CGSize s = size();
    drawInRect(CGRectMake(point.x, point.y, s.width, s.height));
}
