#include "platform/graphics/NSStringDrawing.h"

#include "platform/graphics/TextMetric.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/graphics/Utf8.h"

#include <algorithm>

namespace {
// Keeps the current context alive while drawing when none was given.
struct Target {
    std::shared_ptr<CGContext> held;
    CGContext* context;
    explicit Target(CGContext* given)
        : held(given ? nullptr : UIGraphicsGetCurrentContext())
        , context(given ? given : held.get())
    {
    }
};
} // namespace

namespace NSStringDrawing {

CGSize drawAtPoint(std::string_view text, CGPoint point, const UIFont& font, CGContext* context)
{
    Target target(context);
    const CGSize size = TextMetric::sizeWithFont(text, font);
    if (target.context)
        target.context->showTextLine(Utf8::decode(text), point, font);
    return size;
}

CGSize drawAtPoint(std::string_view text, CGPoint point, double width, const UIFont& font, NSLineBreakMode mode,
                   CGContext* context)
{
    Target target(context);
    if (text.empty())
        return CGSizeZero;
    const auto line = TextMetric::fitLine(Utf8::decode(text), font.pointSize(), width, mode);
    if (target.context)
        target.context->showTextLine(line.text, point, font);
    return {line.width, font.lineHeight()};
}

CGSize drawInRect(std::string_view text, const CGRect& rect, const UIFont& font, NSLineBreakMode mode,
                  NSTextAlignment alignment, CGContext* context)
{
    Target target(context);
    if (text.empty())
        return CGSizeZero;
    const CGRect r = CGRectStandardize(rect);
    const auto lines = TextMetric::layout(text, font.pointSize(), r.size.width,
                                          TextMetric::linesFitting(r.size.height, font.lineHeight()), mode);
    double widest = 0;
    double y = r.origin.y;
    for (const auto& line : lines) {
        double x = r.origin.x;
        if (alignment == NSTextAlignment::Center)
            x += (r.size.width - line.width) / 2;
        else if (alignment == NSTextAlignment::Right)
            x += r.size.width - line.width;
        if (target.context)
            target.context->showTextLine(line.text, {x, y}, font);
        widest = std::max(widest, line.width);
        y += font.lineHeight();
    }
    return {std::min(widest, r.size.width), static_cast<double>(lines.size()) * font.lineHeight()};
}

} // namespace NSStringDrawing
