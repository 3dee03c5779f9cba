#include "kit/KeypadDialogBoxView.h"

#include "platform/graphics/CGGradient.h"
#include "platform/graphics/UIGraphics.h"

namespace {
constexpr double kCornerRadius = 7;

UIColorPtr rgb255(double red, double green, double blue)
{
    return UIColor::colorWithRed(red / 255, green / 255, blue / 255, 1);
}
} // namespace

std::shared_ptr<KeypadDialogBoxView> KeypadDialogBoxView::create(const CGRect& frame)
{
    return std::make_shared<KeypadDialogBoxView>(frame);
}

KeypadDialogBoxView::KeypadDialogBoxView(const CGRect& frame)
    : UIView(frame)
{
    setOpaque(false);
    CALayer& l = layer();
    l.cornerRadius = kCornerRadius;
    l.borderWidth = 1;
    l.borderColor = rgb255(198, 198, 198);
    l.shadowColor = UIColor::blackColor();
    l.shadowRadius = kCornerRadius + 5;
    l.shadowOpacity = 0.1f;
    l.shadowOffset = {-l.shadowRadius / 2, -l.shadowRadius / 2};
}

void KeypadDialogBoxView::drawRect(const CGRect&)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGRect b = bounds();
    const auto gradient
        = CGGradient::createWithColors({rgb255(218, 218, 218), rgb255(233, 233, 233), rgb255(218, 218, 218)});
    if (!gradient)
        return;
    context->saveGState();
    context->beginPath();
    context->addRoundedRect(b, kCornerRadius);
    context->clip();
    context->drawLinearGradient(*gradient, {b.origin.x, CGRectGetMinY(b)}, {b.origin.x, CGRectGetMaxY(b)}, 0);
    context->restoreGState();
}
