#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImageOrientation.h"

#include "platform/foundation/Log.h"
#include "platform/graphics/ImageSurface.h"
#include "platform/graphics/MainScreenScale.h"
#include "platform/graphics/PixelLimits.h"
#include "platform/graphics/ShadowBlur.h"
#include "platform/graphics/TextMetric.h"
#include "platform/graphics/Utf8.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <utility>

namespace {
// Coordinates beyond this overflow the drawing library's fixed-point numbers; they and
// non-finite values are dropped instead of handed on.
constexpr double CoordinateLimit = 1e7;

bool usable(std::initializer_list<double> values)
{
    for (double v : values) {
        if (!std::isfinite(v) || std::fabs(v) > CoordinateLimit)
            return false;
    }
    return true;
}

bool usableRect(const CGRect& r)
{
    return usable({r.origin.x, r.origin.y, r.size.width, r.size.height});
}

std::shared_ptr<cairo_surface_t> adopt(cairo_surface_t* surface)
{
    return std::shared_ptr<cairo_surface_t>(surface, cairo_surface_destroy);
}

cairo_operator_t cairoOperator(CGBlendMode mode)
{
    switch (mode) {
    case CGBlendMode::Multiply:
        return CAIRO_OPERATOR_MULTIPLY;
    case CGBlendMode::Screen:
        return CAIRO_OPERATOR_SCREEN;
    case CGBlendMode::Overlay:
        return CAIRO_OPERATOR_OVERLAY;
    case CGBlendMode::Clear:
        return CAIRO_OPERATOR_CLEAR;
    case CGBlendMode::Copy:
        return CAIRO_OPERATOR_SOURCE;
    case CGBlendMode::SourceIn:
        return CAIRO_OPERATOR_IN;
    case CGBlendMode::DestinationOut:
        return CAIRO_OPERATOR_DEST_OUT;
    case CGBlendMode::Normal:
        break;
    }
    return CAIRO_OPERATOR_OVER;
}

// The font libraries keep their caches until the process ends. Under the leak checker they are
// released at exit, so that they are not reported as leaks of ours.
void releaseFontCachesAtExit()
{
#if defined(__SANITIZE_ADDRESS__)
    static const bool registered = [] {
        std::atexit([] {
            cairo_debug_reset_static_data();
            FcFini();
        });
        return true;
    }();
    (void)registered;
#endif
}

// The family that draws wide characters: the first installed one that has a glyph for them.
const char* wideFamily()
{
    static const char* const family = [] {
        releaseFontCachesAtExit();
        static const char* const candidates[] = {"Noto Sans CJK SC", "WenQuanYi Zen Hei", "WenQuanYi Micro Hei",
                                                 "AR PL UMing CN", "Droid Sans Fallback"};
        cairo_surface_t* probe = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
        cairo_t* cr = cairo_create(probe);
        const char* found = "sans-serif";
        for (const char* candidate : candidates) {
            cairo_select_font_face(cr, candidate, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
            cairo_glyph_t* glyphs = nullptr;
            int count = 0;
            const cairo_status_t status = cairo_scaled_font_text_to_glyphs(
                cairo_get_scaled_font(cr), 0, 0, "\xE4\xB8\xAD", 3, &glyphs, &count, nullptr, nullptr, nullptr);
            const bool has = status == CAIRO_STATUS_SUCCESS && count == 1 && glyphs[0].index != 0;
            cairo_glyph_free(glyphs);
            if (has) {
                found = candidate;
                break;
            }
        }
        cairo_destroy(cr);
        cairo_surface_destroy(probe);
        return found;
    }();
    return family;
}

void addGradientStops(cairo_pattern_t* pattern, const CGGradient& gradient)
{
    for (const auto& stop : gradient.stops())
        cairo_pattern_add_color_stop_rgba(pattern, stop.location, stop.color.red, stop.color.green, stop.color.blue,
                                          stop.color.alpha);
}

cairo_extend_t extendFor(unsigned options)
{
    return options & (CGGradient::DrawsBeforeStartLocation | CGGradient::DrawsAfterEndLocation) ? CAIRO_EXTEND_PAD
                                                                                                 : CAIRO_EXTEND_NONE;
}
} // namespace

std::shared_ptr<CGContext> CGContext::createBitmap(CGSize size, double scale, bool opaque)
{
    if (scale == 0)
        scale = MainScreenScale::get();
    const double pw = std::ceil(size.width * scale - 1e-9);
    const double ph = std::ceil(size.height * scale - 1e-9);
    if (!(scale > 0) || !std::isfinite(scale) || !PixelLimits::allows(pw, ph)) {
        NSLog("refused an offscreen picture of %g x %g points at scale %g", size.width, size.height, scale);
        return std::shared_ptr<CGContext>(new CGContext());
    }
    return std::shared_ptr<CGContext>(
        new CGContext(size, scale, static_cast<int>(pw), static_cast<int>(ph), opaque));
}

CGContext::CGContext()
{
    m_states.push_back({});
}

CGContext::CGContext(CGSize size, double scale, int pixelWidth, int pixelHeight, bool opaque)
    : m_size(size)
    , m_scale(scale)
    , m_pixelWidth(pixelWidth)
    , m_pixelHeight(pixelHeight)
{
    State initial;
    initial.fill = UIColor::blackColor();
    initial.stroke = UIColor::blackColor();
    m_states.push_back(initial);
    m_surface = ImageSurface::create(pixelWidth, pixelHeight);
    if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m_surface);
        m_surface = nullptr;
        return;
    }
    m_cr = cairo_create(m_surface);
    cairo_scale(m_cr, scale, scale);
    if (opaque) {
        cairo_set_source_rgb(m_cr, 0, 0, 0);
        cairo_paint(m_cr);
    }
}

CGContext::~CGContext()
{
    if (m_cr)
        cairo_destroy(m_cr);
    if (m_surface)
        cairo_surface_destroy(m_surface);
}

void CGContext::saveGState()
{
    m_states.push_back(state());
    if (m_cr)
        cairo_save(m_cr);
}

void CGContext::restoreGState()
{
    if (m_states.size() <= 1)
        return;
    m_states.pop_back();
    if (m_cr)
        cairo_restore(m_cr);
}

void CGContext::translateCTM(CGFloat tx, CGFloat ty)
{
    if (!m_cr || state().singular)
        return;
    if (!usable({tx, ty})) {
        state().singular = true;
        return;
    }
    cairo_translate(m_cr, tx, ty);
}

void CGContext::scaleCTM(CGFloat sx, CGFloat sy)
{
    if (!m_cr || state().singular)
        return;
    // A scale by zero leaves nothing to draw on; the drawing library would fail for good on it.
    if (!usable({sx, sy}) || sx == 0 || sy == 0) {
        state().singular = true;
        return;
    }
    cairo_scale(m_cr, sx, sy);
}

void CGContext::rotateCTM(CGFloat radians)
{
    if (!m_cr || state().singular)
        return;
    if (!std::isfinite(radians)) {
        state().singular = true;
        return;
    }
    cairo_rotate(m_cr, radians);
}

void CGContext::concatCTM(const CGAffineTransform& t)
{
    if (!m_cr || state().singular)
        return;
    const double det = t.a * t.d - t.b * t.c;
    if (!usable({t.a, t.b, t.c, t.d, t.tx, t.ty}) || det == 0 || !std::isfinite(det)) {
        state().singular = true;
        return;
    }
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
    cairo_transform(m_cr, &m);
}

CGAffineTransform CGContext::getCTM() const
{
    if (!m_cr)
        return CGAffineTransformIdentity;
    cairo_matrix_t m;
    cairo_get_matrix(m_cr, &m);
    const double s = m_scale;
    return {m.xx / s, m.yx / s, m.xy / s, m.yy / s, m.x0 / s, m.y0 / s};
}

void CGContext::setFillColor(const UIColorPtr& color) { state().fill = color; }
void CGContext::setStrokeColor(const UIColorPtr& color) { state().stroke = color; }
UIColorPtr CGContext::fillColor() const { return state().fill; }

void CGContext::setLineWidth(CGFloat width)
{
    if (m_cr && std::isfinite(width) && width >= 0 && width < CoordinateLimit)
        cairo_set_line_width(m_cr, width);
}

void CGContext::setLineCap(CGLineCap cap)
{
    if (!m_cr)
        return;
    cairo_set_line_cap(m_cr, cap == CGLineCap::Round ? CAIRO_LINE_CAP_ROUND
                           : cap == CGLineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                      : CAIRO_LINE_CAP_BUTT);
}

void CGContext::setLineJoin(CGLineJoin join)
{
    if (!m_cr)
        return;
    cairo_set_line_join(m_cr, join == CGLineJoin::Round ? CAIRO_LINE_JOIN_ROUND
                             : join == CGLineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                         : CAIRO_LINE_JOIN_MITER);
}

void CGContext::setLineDash(CGFloat phase, const std::vector<CGFloat>& lengths)
{
    if (!m_cr)
        return;
    double total = 0;
    for (double l : lengths) {
        if (!std::isfinite(l) || l < 0)
            return;
        total += l;
    }
    if (lengths.empty() || total <= 0) {
        cairo_set_dash(m_cr, nullptr, 0, 0);
        return;
    }
    cairo_set_dash(m_cr, lengths.data(), static_cast<int>(lengths.size()), std::isfinite(phase) ? phase : 0);
}

void CGContext::setAlpha(CGFloat alpha)
{
    state().alpha = std::isnan(alpha) ? 1 : std::clamp(alpha, 0.0, 1.0);
}

void CGContext::setBlendMode(CGBlendMode mode)
{
    if (m_cr)
        cairo_set_operator(m_cr, cairoOperator(mode));
}

void CGContext::setShadow(CGSize offset, CGFloat blur)
{
    setShadowWithColor(offset, blur, UIColor::colorWithWhite(0, 1.0 / 3.0));
}

void CGContext::setShadowWithColor(CGSize offset, CGFloat blur, const UIColorPtr& color)
{
    State& s = state();
    if (!color || color->alpha() <= 0 || !usable({offset.width, offset.height, blur})) {
        s.shadowColor = nullptr;
        return;
    }
    s.shadowOffset = offset;
    s.shadowBlur = std::max(0.0, blur);
    s.shadowColor = color;
}

void CGContext::beginPath()
{
    if (m_cr)
        cairo_new_path(m_cr);
}

void CGContext::moveToPoint(CGFloat x, CGFloat y)
{
    if (m_cr && !state().singular && usable({x, y}))
        cairo_move_to(m_cr, x, y);
}

void CGContext::addLineToPoint(CGFloat x, CGFloat y)
{
    if (m_cr && !state().singular && usable({x, y}))
        cairo_line_to(m_cr, x, y);
}

void CGContext::addCurveToPoint(CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y)
{
    if (m_cr && !state().singular && usable({cp1x, cp1y, cp2x, cp2y, x, y}))
        cairo_curve_to(m_cr, cp1x, cp1y, cp2x, cp2y, x, y);
}

void CGContext::addQuadCurveToPoint(CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y)
{
    if (!m_cr || state().singular || !usable({cpx, cpy, x, y}))
        return;
    double x0 = cpx, y0 = cpy;
    if (cairo_has_current_point(m_cr))
        cairo_get_current_point(m_cr, &x0, &y0);
    // The quadratic curve as the cubic with the same shape.
    cairo_curve_to(m_cr, x0 + 2.0 / 3.0 * (cpx - x0), y0 + 2.0 / 3.0 * (cpy - y0), x + 2.0 / 3.0 * (cpx - x),
                   y + 2.0 / 3.0 * (cpy - y), x, y);
}

void CGContext::addArc(CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle, bool clockwise)
{
    if (!m_cr || state().singular || !usable({x, y, radius, startAngle, endAngle}) || radius < 0)
        return;
    // On a y-down screen, increasing angles turn clockwise.
    if (clockwise)
        cairo_arc(m_cr, x, y, radius, startAngle, endAngle);
    else
        cairo_arc_negative(m_cr, x, y, radius, startAngle, endAngle);
}

void CGContext::addArcToPoint(CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius)
{
    if (!m_cr || state().singular || !usable({x1, y1, x2, y2, radius}) || radius < 0)
        return;
    double x0 = x1, y0 = y1;
    if (cairo_has_current_point(m_cr))
        cairo_get_current_point(m_cr, &x0, &y0);
    // The arc of the given radius tangent to the lines (p0, p1) and (p1, p2).
    const double ux = x0 - x1, uy = y0 - y1, vx = x2 - x1, vy = y2 - y1;
    const double lu = std::hypot(ux, uy), lv = std::hypot(vx, vy);
    const double cross = ux * vy - uy * vx;
    if (lu == 0 || lv == 0 || cross == 0 || radius == 0) {
        cairo_line_to(m_cr, x1, y1);
        return;
    }
    const double cosTheta = std::clamp((ux * vx + uy * vy) / (lu * lv), -1.0, 1.0);
    const double theta = std::acos(cosTheta);
    const double tangent = radius / std::tan(theta / 2);
    const double t1x = x1 + ux / lu * tangent, t1y = y1 + uy / lu * tangent;
    const double t2x = x1 + vx / lv * tangent, t2y = y1 + vy / lv * tangent;
    const double bx = ux / lu + vx / lv, by = uy / lu + vy / lv;
    const double lb = std::hypot(bx, by);
    const double centreDistance = radius / std::sin(theta / 2);
    const double cx = x1 + bx / lb * centreDistance, cy = y1 + by / lb * centreDistance;
    const double a1 = std::atan2(t1y - cy, t1x - cx), a2 = std::atan2(t2y - cy, t2x - cx);
    cairo_line_to(m_cr, t1x, t1y);
    if (cross < 0)
        cairo_arc(m_cr, cx, cy, radius, a1, a2);
    else
        cairo_arc_negative(m_cr, cx, cy, radius, a1, a2);
}

void CGContext::addRect(const CGRect& rect)
{
    if (m_cr && !state().singular && usableRect(rect))
        cairo_rectangle(m_cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

void CGContext::addEllipseInRect(const CGRect& rect)
{
    if (!m_cr || state().singular || !usableRect(rect) || rect.size.width == 0 || rect.size.height == 0)
        return;
    cairo_save(m_cr);
    cairo_translate(m_cr, CGRectGetMidX(rect), CGRectGetMidY(rect));
    cairo_scale(m_cr, std::fabs(rect.size.width) / 2, std::fabs(rect.size.height) / 2);
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_close_path(m_cr);
    cairo_restore(m_cr);
}

void CGContext::addRoundedRect(const CGRect& rect, CGFloat cornerRadius)
{
    if (!m_cr || state().singular || !usableRect(rect) || !std::isfinite(cornerRadius))
        return;
    const CGRect r = CGRectStandardize(rect);
    const double radius = std::clamp(cornerRadius, 0.0, std::min(r.size.width, r.size.height) / 2);
    if (radius <= 0) {
        addRect(r);
        return;
    }
    const double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
    const double pi = std::numbers::pi;
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, x + w - radius, y + radius, radius, -pi / 2, 0);
    cairo_arc(m_cr, x + w - radius, y + h - radius, radius, 0, pi / 2);
    cairo_arc(m_cr, x + radius, y + h - radius, radius, pi / 2, pi);
    cairo_arc(m_cr, x + radius, y + radius, radius, pi, 3 * pi / 2);
    cairo_close_path(m_cr);
}

void CGContext::closePath()
{
    if (m_cr)
        cairo_close_path(m_cr);
}

bool CGContext::isPathEmpty() const
{
    if (!m_cr)
        return true;
    double x1, y1, x2, y2;
    cairo_path_extents(m_cr, &x1, &y1, &x2, &y2);
    return !cairo_has_current_point(m_cr) && x1 == x2 && y1 == y2;
}

void CGContext::setSource(cairo_t* cr, const UIColorPtr& color) const
{
    if (!color) {
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
        return;
    }
    const auto c = color->rgba();
    cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha);
}

CGContext::Operation CGContext::pathOperation(bool fill, bool evenOdd, bool stroke)
{
    std::shared_ptr<cairo_path_t> path(cairo_copy_path(m_cr), cairo_path_destroy);
    cairo_new_path(m_cr);
    const UIColorPtr fillColor = state().fill;
    const UIColorPtr strokeColor = state().stroke;
    return [this, path, fill, evenOdd, stroke, fillColor, strokeColor](cairo_t* cr) {
        cairo_new_path(cr);
        cairo_append_path(cr, path.get());
        if (fill) {
            setSource(cr, fillColor);
            cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
            cairo_fill_preserve(cr);
        }
        if (stroke) {
            setSource(cr, strokeColor);
            cairo_stroke_preserve(cr);
        }
        cairo_new_path(cr);
    };
}

void CGContext::drawPath(CGPathDrawingMode mode)
{
    if (!m_cr)
        return;
    if (state().singular) {
        cairo_new_path(m_cr);
        return;
    }
    const bool evenOdd = mode == CGPathDrawingMode::EOFill || mode == CGPathDrawingMode::EOFillStroke;
    const bool fill = mode != CGPathDrawingMode::Stroke;
    const bool stroke = mode == CGPathDrawingMode::Stroke || mode == CGPathDrawingMode::FillStroke
        || mode == CGPathDrawingMode::EOFillStroke;
    // Taken before pathOperation() takes the path over, and only when a shadow needs them.
    const auto inkBounds = state().shadowColor ? pathInkBounds(stroke) : std::nullopt;
    render(pathOperation(fill, evenOdd, stroke), inkBounds);
}

std::optional<CGRect> CGContext::pathInkBounds(bool stroke) const
{
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    const auto add = [&](double ax, double ay, double bx, double by) {
        x0 = std::min(x0, ax), y0 = std::min(y0, ay), x1 = std::max(x1, bx), y1 = std::max(y1, by);
    };
    double ax, ay, bx, by;
    cairo_path_extents(m_cr, &ax, &ay, &bx, &by);
    add(ax, ay, bx, by);
    if (stroke) {
        cairo_stroke_extents(m_cr, &ax, &ay, &bx, &by);
        if (bx > ax && by > ay)
            add(ax, ay, bx, by);
    }
    if (!(x1 >= x0 && y1 >= y0))
        return std::nullopt;
    return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

void CGContext::fillPath() { drawPath(CGPathDrawingMode::Fill); }
void CGContext::eoFillPath() { drawPath(CGPathDrawingMode::EOFill); }
void CGContext::strokePath() { drawPath(CGPathDrawingMode::Stroke); }

void CGContext::fillRect(const CGRect& rect)
{
    beginPath();
    addRect(rect);
    fillPath();
}

void CGContext::strokeRect(const CGRect& rect)
{
    beginPath();
    addRect(rect);
    strokePath();
}

void CGContext::fillEllipseInRect(const CGRect& rect)
{
    beginPath();
    addEllipseInRect(rect);
    fillPath();
}

void CGContext::strokeEllipseInRect(const CGRect& rect)
{
    beginPath();
    addEllipseInRect(rect);
    strokePath();
}

void CGContext::clearRect(const CGRect& rect)
{
    if (!m_cr || state().singular || !usableRect(rect))
        return;
    cairo_save(m_cr);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(m_cr);
    if (state().mask) {
        cairo_identity_matrix(m_cr);
        cairo_set_operator(m_cr, CAIRO_OPERATOR_DEST_OUT);
        cairo_set_source_rgba(m_cr, 0, 0, 0, 1);
        cairo_mask_surface(m_cr, state().mask.get(), 0, 0);
    } else {
        cairo_set_operator(m_cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(m_cr);
    }
    cairo_restore(m_cr);
}

void CGContext::clip()
{
    if (!m_cr)
        return;
    if (state().singular) {
        cairo_new_path(m_cr);
        return;
    }
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
    cairo_clip(m_cr);
}

void CGContext::eoClip()
{
    if (!m_cr)
        return;
    if (state().singular) {
        cairo_new_path(m_cr);
        return;
    }
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(m_cr);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
}

void CGContext::clipToRect(const CGRect& rect)
{
    if (!m_cr || state().singular)
        return;
    cairo_new_path(m_cr);
    if (usableRect(rect))
        cairo_rectangle(m_cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
    cairo_clip(m_cr); // an unusable rectangle clips everything away
}

void CGContext::clipToMask(const CGRect& rect, const UIImage& mask)
{
    if (!m_cr || state().singular)
        return;
    auto plane = adopt(cairo_image_surface_create(CAIRO_FORMAT_A8, m_pixelWidth, m_pixelHeight));
    if (cairo_surface_status(plane.get()) != CAIRO_STATUS_SUCCESS)
        return;
    const CGRect r = CGRectStandardize(rect);
    if (usableRect(r) && r.size.width > 0 && r.size.height > 0) {
        cairo_t* mcr = cairo_create(plane.get());
        cairo_matrix_t m;
        cairo_get_matrix(m_cr, &m);
        cairo_set_matrix(mcr, &m);
        cairo_translate(mcr, r.origin.x, r.origin.y + r.size.height);
        cairo_scale(mcr, r.size.width / mask.pixelWidth(), -r.size.height / mask.pixelHeight());
        cairo_set_source_surface(mcr, mask.surface(), 0, 0);
        cairo_rectangle(mcr, 0, 0, mask.pixelWidth(), mask.pixelHeight());
        cairo_fill(mcr);
        if (state().mask) {
            cairo_identity_matrix(mcr);
            cairo_set_operator(mcr, CAIRO_OPERATOR_DEST_IN);
            cairo_set_source_surface(mcr, state().mask.get(), 0, 0);
            cairo_paint(mcr);
        }
        cairo_destroy(mcr);
    }
    cairo_surface_flush(plane.get());
    state().mask = plane;
}

CGRect CGContext::getClipBoundingBox() const
{
    if (!m_cr)
        return CGRectNull();
    double x1, y1, x2, y2;
    cairo_clip_extents(m_cr, &x1, &y1, &x2, &y2);
    return CGRectMake(x1, y1, x2 - x1, y2 - y1);
}

void CGContext::drawLinearGradient(const CGGradient& gradient, CGPoint start, CGPoint end, unsigned options)
{
    if (!m_cr || state().singular || gradient.stops().empty() || !usable({start.x, start.y, end.x, end.y})
        || (start.x == end.x && start.y == end.y))
        return;
    render([&](cairo_t* cr) {
        cairo_pattern_t* pattern = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
        addGradientStops(pattern, gradient);
        cairo_pattern_set_extend(pattern, extendFor(options));
        cairo_save(cr);
        const bool before = options & CGGradient::DrawsBeforeStartLocation;
        const bool after = options & CGGradient::DrawsAfterEndLocation;
        if (before != after) {
            // Padding extends both ends; the side that must stay bare is cut off by a half plane
            // through the end point that does not extend.
            const double dx = end.x - start.x, dy = end.y - start.y, length = std::hypot(dx, dy);
            const double ux = dx / length, uy = dy / length, vx = -uy, vy = ux;
            const CGPoint edge = before ? end : start;
            const double away = before ? -1.0 : 1.0; // towards the side that is drawn
            const double far = 1e5;
            cairo_new_path(cr);
            cairo_move_to(cr, edge.x + vx * far, edge.y + vy * far);
            cairo_line_to(cr, edge.x - vx * far, edge.y - vy * far);
            cairo_line_to(cr, edge.x - vx * far + away * ux * far, edge.y - vy * far + away * uy * far);
            cairo_line_to(cr, edge.x + vx * far + away * ux * far, edge.y + vy * far + away * uy * far);
            cairo_close_path(cr);
            cairo_clip(cr);
        }
        cairo_set_source(cr, pattern);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_pattern_destroy(pattern);
    });
}

void CGContext::drawRadialGradient(const CGGradient& gradient, CGPoint startCenter, CGFloat startRadius,
                                   CGPoint endCenter, CGFloat endRadius, unsigned options)
{
    if (!m_cr || state().singular || gradient.stops().empty()
        || !usable({startCenter.x, startCenter.y, startRadius, endCenter.x, endCenter.y, endRadius})
        || startRadius < 0 || endRadius < 0 || (startRadius == endRadius && startCenter == endCenter))
        return;
    render([&](cairo_t* cr) {
        cairo_pattern_t* pattern
            = cairo_pattern_create_radial(startCenter.x, startCenter.y, startRadius, endCenter.x, endCenter.y, endRadius);
        addGradientStops(pattern, gradient);
        cairo_pattern_set_extend(pattern, extendFor(options));
        cairo_save(cr);
        const bool before = options & CGGradient::DrawsBeforeStartLocation;
        const bool after = options & CGGradient::DrawsAfterEndLocation;
        cairo_new_path(cr);
        if (before && !after) {
            cairo_arc(cr, endCenter.x, endCenter.y, endRadius, 0, 2 * std::numbers::pi);
            cairo_clip(cr);
        } else if (after && !before) {
            cairo_rectangle(cr, -1e5, -1e5, 2e5, 2e5);
            cairo_new_sub_path(cr);
            cairo_arc(cr, startCenter.x, startCenter.y, startRadius, 0, 2 * std::numbers::pi);
            cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
            cairo_clip(cr);
        }
        cairo_set_source(cr, pattern);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_pattern_destroy(pattern);
    });
}

void CGContext::drawImageUpright(const CGRect& rect, const UIImage& image)
{
    const CGRect r = CGRectStandardize(rect);
    if (!m_cr || state().singular || !usableRect(r) || r.size.width <= 0 || r.size.height <= 0)
        return;
    render([&](cairo_t* cr) {
        cairo_save(cr);
        ImageOrientation::transformInto(cr, image.orientation(), r, image.pixelWidth(), image.pixelHeight());
        cairo_set_source_surface(cr, image.surface(), 0, 0);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_new_path(cr);
        cairo_rectangle(cr, 0, 0, image.pixelWidth(), image.pixelHeight());
        cairo_fill(cr);
        cairo_restore(cr);
    }, r);
}

// The cells of the line, with room around them for glyphs that reach past their cell.
CGRect CGContext::textInkBounds(std::u32string_view line, CGPoint origin, const UIFont& font)
{
    const double width = TextMetric::width(line, font.pointSize());
    const double room = font.pointSize() / 2;
    return CGRectMake(origin.x - room, origin.y - room, width + 2 * room, font.lineHeight() + 2 * room);
}

void CGContext::showTextLine(std::u32string_view line, CGPoint origin, const UIFont& font)
{
    if (!m_cr || state().singular || line.empty() || !usable({origin.x, origin.y}))
        return;
    const UIColorPtr color = state().fill;
    wideFamily(); // settles the font set up before any text is drawn
    render([&](cairo_t* cr) {
        setSource(cr, color);
        const double size = font.pointSize();
        const double baseline = origin.y + font.ascender();
        const cairo_font_slant_t slant = font.isItalic() ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL;
        const cairo_font_weight_t weight = font.isBold() ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL;
        const char* current = nullptr;
        double x = origin.x;
        for (char32_t c : line) {
            const double cell = TextMetric::advance(c, size);
            if (cell > 0 && c != U' ' && c != 0x3000) {
                const char* family = TextMetric::isWide(c) ? wideFamily() : font.drawingFamily();
                if (family != current) {
                    cairo_select_font_face(cr, family, slant, weight);
                    cairo_set_font_size(cr, size);
                    current = family;
                }
                const std::string glyph = Utf8::encode(std::u32string_view(&c, 1));
                cairo_text_extents_t extents;
                cairo_text_extents(cr, glyph.c_str(), &extents);
                // A glyph wider than its cell is narrowed to it; a narrower one is centred in it.
                const double squeeze = extents.x_advance > cell ? cell / extents.x_advance : 1.0;
                cairo_save(cr);
                cairo_translate(cr, x + (cell - extents.x_advance * squeeze) / 2, baseline);
                cairo_scale(cr, squeeze, 1);
                cairo_move_to(cr, 0, 0);
                cairo_show_text(cr, glyph.c_str());
                cairo_restore(cr);
            }
            x += cell;
        }
        cairo_new_path(cr);
    }, textInkBounds(line, origin, font));
}

void CGContext::render(const Operation& op, std::optional<CGRect> inkBounds)
{
    if (!m_cr || state().singular || state().alpha <= 0)
        return;
    if (state().shadowColor)
        renderShadow(op, inkBounds);
    renderThroughMask(op);
}

void CGContext::renderThroughMask(const Operation& op)
{
    const State& s = state();
    if (!s.mask && s.alpha >= 1) {
        op(m_cr);
        return;
    }
    cairo_push_group(m_cr);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
    op(m_cr);
    cairo_pop_group_to_source(m_cr);
    if (!s.mask) {
        cairo_paint_with_alpha(m_cr, s.alpha);
        return;
    }
    cairo_save(m_cr);
    if (s.alpha < 1)
        cairo_push_group(m_cr);
    cairo_identity_matrix(m_cr);
    cairo_mask_surface(m_cr, s.mask.get(), 0, 0);
    if (s.alpha < 1) {
        cairo_pop_group_to_source(m_cr);
        cairo_paint_with_alpha(m_cr, s.alpha);
    }
    cairo_restore(m_cr);
}

CGContext::PixelBox CGContext::shadowBox(std::optional<CGRect> inkBounds, int spread) const
{
    PixelBox box {0, 0, m_pixelWidth, m_pixelHeight};
    if (!inkBounds || !usableRect(*inkBounds))
        return box;
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    const CGRect r = CGRectStandardize(*inkBounds);
    for (const auto& [ux, uy] : {std::pair {r.origin.x, r.origin.y}, std::pair {CGRectGetMaxX(r), r.origin.y},
                                 std::pair {r.origin.x, CGRectGetMaxY(r)}, std::pair {CGRectGetMaxX(r), CGRectGetMaxY(r)}}) {
        double x = ux, y = uy;
        cairo_user_to_device(m_cr, &x, &y);
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    const auto clampTo = [](double v, int limit) { return static_cast<int>(std::clamp(v, 0.0, double(limit))); };
    box.x = clampTo(std::floor(x0) - spread, m_pixelWidth);
    box.y = clampTo(std::floor(y0) - spread, m_pixelHeight);
    box.width = clampTo(std::ceil(x1) + spread, m_pixelWidth) - box.x;
    box.height = clampTo(std::ceil(y1) + spread, m_pixelHeight) - box.y;
    return box;
}

// The shadow is the shape's coverage, blurred, painted offset in the shadow colour. Only the
// pixels the blur can reach from the shape are worked on: a label's shadow costs in proportion
// to the label, not to the picture it is drawn into.
void CGContext::renderShadow(const Operation& op, std::optional<CGRect> inkBounds)
{
    const State& s = state();
    const double sigma = s.shadowBlur * m_scale / 2;
    const PixelBox box = shadowBox(inkBounds, ShadowBlur::reach(sigma) + 2);
    if (box.width <= 0 || box.height <= 0)
        return;
    auto coverage = adopt(cairo_image_surface_create(CAIRO_FORMAT_A8, box.width, box.height));
    if (cairo_surface_status(coverage.get()) != CAIRO_STATUS_SUCCESS)
        return;

    // The shape's coverage, clipped as the drawing itself will be.
    cairo_matrix_t m;
    cairo_get_matrix(m_cr, &m);
    cairo_save(m_cr);
    clipToPixelBox(box);
    cairo_push_group(m_cr);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_OVER);
    op(m_cr);
    cairo_pattern_t* shape = cairo_pop_group(m_cr);
    cairo_restore(m_cr);
    cairo_t* ccr = cairo_create(coverage.get());
    cairo_translate(ccr, -box.x, -box.y);
    cairo_transform(ccr, &m);
    cairo_set_source(ccr, shape);
    cairo_paint(ccr);
    cairo_destroy(ccr);
    cairo_pattern_destroy(shape);
    cairo_surface_flush(coverage.get());

    blurPlane(coverage.get(), sigma);

    const auto color = s.shadowColor->rgba();
    const double dx = box.x + s.shadowOffset.width * m_scale, dy = box.y + s.shadowOffset.height * m_scale;
    renderThroughMask([&](cairo_t* cr) {
        cairo_save(cr);
        cairo_identity_matrix(cr);
        cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
        cairo_mask_surface(cr, coverage.get(), dx, dy);
        cairo_restore(cr);
    });
}

// Clips m_cr to a device-space box, keeping its current path, which the drawing may still use.
void CGContext::clipToPixelBox(const PixelBox& box)
{
    cairo_path_t* path = cairo_copy_path(m_cr);
    cairo_matrix_t m;
    cairo_get_matrix(m_cr, &m);
    cairo_identity_matrix(m_cr);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, box.x, box.y, box.width, box.height);
    cairo_clip(m_cr);
    cairo_set_matrix(m_cr, &m);
    cairo_append_path(m_cr, path);
    cairo_path_destroy(path);
}

void CGContext::blurPlane(cairo_surface_t* coverage, double sigma)
{
    ShadowBlur::blur(cairo_image_surface_get_data(coverage), cairo_image_surface_get_width(coverage),
                     cairo_image_surface_get_height(coverage), cairo_image_surface_get_stride(coverage), sigma);
    cairo_surface_mark_dirty(coverage);
}

std::shared_ptr<UIImage> CGContext::makeImage() const
{
    if (!m_cr)
        return nullptr;
    cairo_surface_flush(m_surface);
    // Every pixel is copied over, so the new buffer need not be cleared first.
    cairo_surface_t* copy = ImageSurface::createForDecoding(m_pixelWidth, m_pixelHeight);
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, m_surface, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return UIImage::imageWithSurface(copy, m_scale);
}

std::shared_ptr<UIImage> CGContext::takeImage()
{
    if (!m_cr)
        return nullptr;
    cairo_destroy(m_cr);
    m_cr = nullptr;
    cairo_surface_flush(m_surface);
    return UIImage::imageWithSurface(std::exchange(m_surface, nullptr), m_scale);
}
