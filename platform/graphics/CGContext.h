#pragma once

#include "platform/graphics/CGAffineTransform.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/CGGradient.h"
#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIFont.h"
#include "platform/graphics/UIImage.h"

#include <cairo.h>

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

enum class CGLineCap { Butt, Round, Square };
enum class CGLineJoin { Miter, Round, Bevel };
enum class CGPathDrawingMode { Fill, EOFill, Stroke, FillStroke, EOFillStroke };
enum class CGBlendMode { Normal, Multiply, Screen, Overlay, Clear, Copy, SourceIn, DestinationOut };

// A drawing context on an offscreen picture. User space is in points with the origin at the
// top left and y growing downwards; the picture holds scale pixels per point.
//
// A context whose picture could not be made (empty, not finite or beyond PixelLimits) is
// inert: every call on it does nothing and makeImage() gives null, so drawing code need not
// check before drawing.
//
// Shadows, masks and the global alpha are part of the graphics state, as on the platform:
// every fill, stroke, gradient, picture and text drawn while a shadow is set casts it, and
// everything is drawn through the intersection of the clip and the masks.
class CGContext {
public:
    static std::shared_ptr<CGContext> createBitmap(CGSize size, double scale, bool opaque = false);
    ~CGContext();
    CGContext(const CGContext&) = delete;
    CGContext& operator=(const CGContext&) = delete;

    bool isValid() const { return m_cr != nullptr; }
    CGSize size() const { return m_size; }
    double scale() const { return m_scale; }
    int pixelWidth() const { return m_pixelWidth; }
    int pixelHeight() const { return m_pixelHeight; }

    // Graphics state: CTM, clip, masks, colours, line settings, shadow, alpha, blend mode.
    // An unbalanced restore is ignored.
    void saveGState();
    void restoreGState();
    int gStateDepth() const { return static_cast<int>(m_states.size()) - 1; }

    void translateCTM(CGFloat tx, CGFloat ty);
    void scaleCTM(CGFloat sx, CGFloat sy);
    void rotateCTM(CGFloat radians);
    void concatCTM(const CGAffineTransform& transform);
    // The user-space transform relative to the context's own point space (identity at creation).
    CGAffineTransform getCTM() const;

    void setFillColor(const UIColorPtr& color);
    void setStrokeColor(const UIColorPtr& color);
    UIColorPtr fillColor() const;
    void setLineWidth(CGFloat width);
    void setLineCap(CGLineCap cap);
    void setLineJoin(CGLineJoin join);
    void setLineDash(CGFloat phase, const std::vector<CGFloat>& lengths);
    void setAlpha(CGFloat alpha);
    void setBlendMode(CGBlendMode mode);
    // Offset and blur in points; a positive height casts the shadow downwards. Neither follows the
    // CTM. The plain form uses black at one third alpha; a null or clear colour turns shadows off.
    void setShadow(CGSize offset, CGFloat blur);
    void setShadowWithColor(CGSize offset, CGFloat blur, const UIColorPtr& color);

    // The current path, in user space at the time each element is added.
    void beginPath();
    void moveToPoint(CGFloat x, CGFloat y);
    void addLineToPoint(CGFloat x, CGFloat y);
    void addCurveToPoint(CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y);
    void addQuadCurveToPoint(CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
    // clockwise as seen on screen (y down). Angles in radians from the positive x axis.
    void addArc(CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise);
    void addArcToPoint(CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius);
    void addRect(const CGRect& rect);
    void addEllipseInRect(const CGRect& rect);
    void addRoundedRect(const CGRect& rect, CGFloat cornerRadius);
    void closePath();
    bool isPathEmpty() const;

    // Drawing the path consumes it, as on the platform.
    void fillPath();
    void eoFillPath();
    void strokePath();
    void drawPath(CGPathDrawingMode mode);
    void fillRect(const CGRect& rect);
    void strokeRect(const CGRect& rect);
    void fillEllipseInRect(const CGRect& rect);
    void strokeEllipseInRect(const CGRect& rect);
    // Makes the rectangle fully transparent, ignoring shadow, alpha and blend mode.
    void clearRect(const CGRect& rect);

    // Clips to the path (consuming it) or to a rectangle; clips only ever shrink until a restore.
    void clip();
    void eoClip();
    void clipToRect(const CGRect& rect);
    // Clips to the alpha of the picture stretched over rect; outside rect nothing is drawn.
    // The picture is laid as the platform lays it: its first row at the far edge of rect in y,
    // so code written for a top-left context flips first.
    void clipToMask(const CGRect& rect, const UIImage& mask);
    CGRect getClipBoundingBox() const;

    // Fills the clip with the gradient; the options extend the end colours beyond the ends.
    void drawLinearGradient(const CGGradient& gradient, CGPoint start, CGPoint end, unsigned options);
    void drawRadialGradient(const CGGradient& gradient, CGPoint startCenter, CGFloat startRadius, CGPoint endCenter,
                            CGFloat endRadius, unsigned options);

    // The picture stretched over rect, the right way up (what UIImage's drawing uses).
    void drawImageUpright(const CGRect& rect, const UIImage& image);

    // One line of text with its line box's top left at origin, in the fill colour. Glyphs sit on
    // the cells that TextMetric gives each character, so drawn text matches its measured size.
    void showTextLine(std::u32string_view line, CGPoint origin, const UIFont& font);

    // A copy of the picture drawn so far (the platform's bitmap-context image).
    std::shared_ptr<UIImage> makeImage() const;
    // The picture drawn, handed over without a copy; the context is inert afterwards.
    std::shared_ptr<UIImage> takeImage();

    cairo_t* cairo() const { return m_cr; }

private:
    struct State {
        UIColorPtr fill;
        UIColorPtr stroke;
        CGSize shadowOffset;
        CGFloat shadowBlur = 0;
        UIColorPtr shadowColor;
        CGFloat alpha = 1;
        std::shared_ptr<cairo_surface_t> mask; // device-space A8, null for none
        bool singular = false;                 // the CTM maps everything onto nothing
    };
    using Operation = std::function<void(cairo_t*)>;

    CGContext(CGSize size, double scale, int pixelWidth, int pixelHeight, bool opaque);
    CGContext();

    State& state() { return m_states.back(); }
    const State& state() const { return m_states.back(); }
    // A rectangle of device pixels.
    struct PixelBox {
        int x = 0, y = 0, width = 0, height = 0;
    };
    // inkBounds: where the operation can draw, in user space; nothing when it is not known
    // (the shadow is then worked out over the whole picture).
    void render(const Operation& op, std::optional<CGRect> inkBounds = std::nullopt);
    void renderThroughMask(const Operation& op);
    void renderShadow(const Operation& op, std::optional<CGRect> inkBounds);
    // The device pixels of the ink bounds grown by spread, within the picture.
    PixelBox shadowBox(std::optional<CGRect> inkBounds, int spread) const;
    void clipToPixelBox(const PixelBox& box);
    static void blurPlane(cairo_surface_t* coverage, double sigma);
    std::optional<CGRect> pathInkBounds(bool stroke) const;
    static CGRect textInkBounds(std::u32string_view line, CGPoint origin, const UIFont& font);
    void setSource(cairo_t* cr, const UIColorPtr& color) const;
    Operation pathOperation(bool fill, bool evenOdd, bool stroke);

    CGSize m_size;
    double m_scale = 1;
    int m_pixelWidth = 0;
    int m_pixelHeight = 0;
    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cr = nullptr;
    std::vector<State> m_states;
};

using CGContextRef = std::shared_ptr<CGContext>;
