#include "platform/graphics/UIGraphics.h"

#include "platform/foundation/Log.h"

#include <vector>

namespace {
struct Entry {
    std::shared_ptr<CGContext> context;
    bool isImageContext = false;
};

std::vector<Entry>& stack()
{
    thread_local std::vector<Entry> entries;
    return entries;
}
} // namespace

std::shared_ptr<CGContext> UIGraphicsGetCurrentContext()
{
    auto& s = stack();
    return s.empty() ? nullptr : s.back().context;
}

void UIGraphicsPushContext(std::shared_ptr<CGContext> context)
{
    if (context)
        stack().push_back({std::move(context), false});
}

void UIGraphicsPopContext()
{
    auto& s = stack();
    if (s.empty() || s.back().isImageContext) {
        NSLog("UIGraphicsPopContext: no pushed context to pop");
        return;
    }
    s.pop_back();
}

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, double scale)
{
    stack().push_back({CGContext::createBitmap(size, scale, opaque), true});
}

void UIGraphicsBeginImageContext(CGSize size)
{
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
}

std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext()
{
    auto& s = stack();
    if (s.empty() || !s.back().isImageContext)
        return nullptr;
    return s.back().context->makeImage();
}

void UIGraphicsEndImageContext()
{
    auto& s = stack();
    if (s.empty() || !s.back().isImageContext) {
        NSLog("UIGraphicsEndImageContext: the current context is not an image context");
        return;
    }
    s.pop_back();
}
