#pragma once

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/UIView.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

class UIAlertView;
class UIWindow;
class ViewFingerprint;

// Draws view trees into pictures, so that what a screen shows can be looked at and checked.
// Each view draws, in order: its layer's shadow and background (with the corner radius), its
// own drawRect content clipped to its bounds, its subviews (clipped when it clips to bounds),
// and its border on top. Hidden and fully transparent views are skipped; alpha applies to a
// view together with its subviews. Pending layouts run first.
class ViewRenderer {
public:
    // The view and its subviews, with the view's bounds filling the picture.
    static std::shared_ptr<UIImage> render(UIView& view, double scale = 1);
    // The whole screen: the visible windows by level, then the alert in front, if any, over a dimmed screen.
    static std::shared_ptr<UIImage> renderScreen(double scale = 1);

    // A hash of everything renderScreen would draw, found without drawing: the same for the
    // same screen, and (but for the rarest of collisions) different once anything drawn differs.
    static std::uint64_t screenFingerprint();

    static bool writePNG(UIView& view, const std::filesystem::path& path, double scale = 1);
    static bool writeScreenPNG(const std::filesystem::path& path, double scale = 1);

    // Draws the view, placed by its center, bounds and transform, into a context whose user space
    // is the view's superview's space.
    static void drawView(UIView& view, const std::shared_ptr<CGContext>& context);

private:
    static void drawContent(UIView& view, const std::shared_ptr<CGContext>& context);
    static void addToFingerprint(const UIView& view, ViewFingerprint& fingerprint);
    // What the screen shows, laid out: the visible windows by level, then the alert in front.
    struct ScreenViews {
        std::vector<std::shared_ptr<UIWindow>> windows;
        std::shared_ptr<UIAlertView> alert;
    };
    static ScreenViews layOutScreen(const CGRect& screen);
};
