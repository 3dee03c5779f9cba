#include "platform/ui/ViewRenderer.h"

#include "platform/graphics/UIGraphics.h"
#include "platform/ui/UIAlertView.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIWindow.h"
#include "platform/ui/ViewFingerprint.h"

#include <typeinfo>

namespace {
void roundedRectPath(CGContext& context, const CGRect& rect, double radius)
{
    context.beginPath();
    context.addRoundedRect(rect, radius);
}
} // namespace

void ViewRenderer::drawView(UIView& view, const std::shared_ptr<CGContext>& context)
{
    if (view.isHidden() || view.alpha() <= 0)
        return;
    const CGRect b = view.bounds();
    context->saveGState();
    context->translateCTM(view.center().x, view.center().y);
    context->concatCTM(view.transform());
    context->translateCTM(-b.size.width / 2, -b.size.height / 2);
    drawContent(view, context);
    context->restoreGState();
}

void ViewRenderer::drawContent(UIView& view, const std::shared_ptr<CGContext>& context)
{
    const CGRect b = view.bounds();
    const CGRect local = CGRectMake(0, 0, b.size.width, b.size.height);
    const CALayer& layer = view.layer();
    cairo_t* cr = context->cairo();
    const bool grouped = view.alpha() < 1 && cr;
    // A view's alpha fades it together with its subviews, as one picture.
    if (grouped)
        cairo_push_group(cr);

    const auto& background = view.backgroundColor();
    const bool hasShadow = layer.shadowOpacity > 0 && layer.shadowColor;
    if ((background && background->alpha() > 0) || hasShadow) {
        context->saveGState();
        if (hasShadow)
            context->setShadowWithColor(layer.shadowOffset, layer.shadowRadius * 2,
                                        layer.shadowColor->colorWithAlphaComponent(layer.shadowColor->alpha()
                                                                                   * layer.shadowOpacity));
        context->setFillColor(background ? background : UIColor::clearColor());
        roundedRectPath(*context, local, layer.cornerRadius);
        context->fillPath();
        context->restoreGState();
    }

    context->saveGState();
    if (layer.masksToBounds) {
        roundedRectPath(*context, local, layer.cornerRadius);
        context->clip();
    }
    context->translateCTM(-b.origin.x, -b.origin.y);

    context->saveGState();
    context->clipToRect(b);
    UIGraphicsPushContext(context);
    view.drawRect(b);
    UIGraphicsPopContext();
    view.clearNeedsDisplay();
    context->restoreGState();

    const auto subviews = view.subviews();
    for (const auto& subview : subviews)
        drawView(*subview, context);
    context->restoreGState();

    if (layer.borderWidth > 0 && layer.borderColor) {
        context->saveGState();
        context->setStrokeColor(layer.borderColor);
        context->setLineWidth(layer.borderWidth);
        const double inset = layer.borderWidth / 2;
        roundedRectPath(*context, CGRectInset(local, inset, inset), std::max(0.0, layer.cornerRadius - inset));
        context->strokePath();
        context->restoreGState();
    }

    if (grouped) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, view.alpha());
    }
}

std::shared_ptr<UIImage> ViewRenderer::render(UIView& view, double scale)
{
    view.layoutIfNeeded();
    auto context = CGContext::createBitmap(view.bounds().size, scale);
    if (!context->isValid())
        return nullptr;
    if (!view.isHidden() && view.alpha() > 0)
        drawContent(view, context);
    return context->takeImage();
}

ViewRenderer::ScreenViews ViewRenderer::layOutScreen(const CGRect& screen)
{
    auto& application = UIApplication::sharedApplication();
    ScreenViews views {application.windows(), application.topAlert()};
    for (const auto& window : views.windows)
        window->layoutIfNeeded();
    if (views.alert) {
        views.alert->layoutForScreen(screen);
        views.alert->layoutIfNeeded();
    }
    return views;
}

std::shared_ptr<UIImage> ViewRenderer::renderScreen(double scale)
{
    const CGRect screen = UIScreen::mainScreen().bounds();
    auto context = CGContext::createBitmap(screen.size, scale);
    if (!context->isValid())
        return nullptr;
    const auto views = layOutScreen(screen);
    for (const auto& window : views.windows)
        drawView(*window, context);
    if (views.alert) {
        context->setFillColor(UIColor::colorWithWhite(0, 0.4));
        context->fillRect(screen);
        drawView(*views.alert, context);
    }
    return context->takeImage();
}

std::uint64_t ViewRenderer::screenFingerprint()
{
    const CGRect screen = UIScreen::mainScreen().bounds();
    const auto views = layOutScreen(screen);
    ViewFingerprint fingerprint;
    fingerprint.add(screen).add(views.windows.size());
    for (const auto& window : views.windows)
        addToFingerprint(*window, fingerprint);
    if (views.alert)
        addToFingerprint(*views.alert, fingerprint);
    return fingerprint.value();
}

// Mirrors drawView and drawContent: whatever they read goes in.
void ViewRenderer::addToFingerprint(const UIView& view, ViewFingerprint& f)
{
    if (view.isHidden() || view.alpha() <= 0) {
        f.add(std::uint64_t {0});
        return;
    }
    const CALayer& layer = view.layer();
    f.add(&typeid(view)).add(view.center()).add(view.bounds()).add(view.transform()).add(view.alpha());
    f.add(view.backgroundColor()).add(view.contentMode()).add(layer.cornerRadius).add(layer.masksToBounds);
    f.add(layer.borderWidth).add(layer.borderColor).add(layer.shadowOpacity > 0 ? layer.shadowColor : nullptr);
    f.add(static_cast<double>(layer.shadowOpacity)).add(layer.shadowOffset).add(layer.shadowRadius);
    view.addDrawnContent(f);
    f.add(view.subviews().size());
    for (const auto& subview : view.subviews())
        addToFingerprint(*subview, f);
}

bool ViewRenderer::writePNG(UIView& view, const std::filesystem::path& path, double scale)
{
    const auto image = render(view, scale);
    return image && image->writePNG(path);
}

bool ViewRenderer::writeScreenPNG(const std::filesystem::path& path, double scale)
{
    const auto image = renderScreen(scale);
    return image && image->writePNG(path);
}
