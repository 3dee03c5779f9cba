#pragma once

#include "platform/graphics/CGContext.h"
#include "platform/graphics/TextAttributes.h"
#include "platform/graphics/UIFont.h"

#include <string_view>

// Drawing text in the fill colour of a context (by default the current one), laid out by
// TextMetric exactly as it is measured. Each returns the size of the text it drew.
namespace NSStringDrawing {
// One line from its top left corner, unwrapped.
CGSize drawAtPoint(std::string_view text, CGPoint point, const UIFont& font, CGContext* context = nullptr);
// One line no wider than width, shortened by the mode.
CGSize drawAtPoint(std::string_view text, CGPoint point, double width, const UIFont& font, NSLineBreakMode mode,
                   CGContext* context = nullptr);
// Wrapped into rect from its top, as many lines as rect's height holds, each placed by alignment.
CGSize drawInRect(std::string_view text, const CGRect& rect, const UIFont& font,
                  NSLineBreakMode mode = NSLineBreakMode::ByWordWrapping,
                  NSTextAlignment alignment = NSTextAlignment::Left, CGContext* context = nullptr);
} // namespace NSStringDrawing
