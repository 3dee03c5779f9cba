#include "kit/RoundProgressView.h"

#include "platform/graphics/UIGraphics.h"

#include <cmath>

namespace {
constexpr float kPi = 3.1415927f;
constexpr double kFullTurn = 2 * static_cast<double>(kPi);

// The slice's sweep in radians. More than a turn looks like one turn, so the drawing never
// asks for thousands of windings when a caller passes a huge progress.
double sweepFor(float progress)
{
    const float sweep = progress * 2 * kPi;
    if (!std::isfinite(sweep))
        return sweep > 0 ? kFullTurn : 0;
    if (sweep >= kFullTurn)
        return kFullTurn;
    if (sweep < 0)
        return std::fmod(static_cast<double>(sweep), kFullTurn);
    return sweep;
}
} // namespace

std::shared_ptr<RoundProgressView> RoundProgressView::create() { return create(CGRectMake(0, 0, 37, 37)); }

std::shared_ptr<RoundProgressView> RoundProgressView::create(const CGRect& frame)
{
    return std::make_shared<RoundProgressView>(frame);
}

RoundProgressView::RoundProgressView(const CGRect& frame)
    : UIView(frame)
{
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
}

void RoundProgressView::setProgress(float progress)
{
    m_progress = progress;
    setNeedsDisplay();
}

void RoundProgressView::drawRect(const CGRect&)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGRect all = bounds();
    const CGRect circle = CGRectInset(all, 2, 2);
    context->setStrokeColor(UIColor::colorWithRed(1, 1, 1, 1));
    context->setFillColor(UIColor::colorWithRed(1, 1, 1, 0.1));
    context->setLineWidth(2);
    context->fillEllipseInRect(circle);
    context->strokeEllipseInRect(circle);

    // The slice keeps the radius taken from the width even when the ring is an ellipse.
    const CGPoint centre {all.size.width / 2, all.size.height / 2};
    const double radius = (all.size.width - 4) / 2;
    const double start = -static_cast<double>(kPi) / 2;
    const double sweep = sweepFor(m_progress);
    if (sweep == 0 || radius <= 0)
        return;
    context->setFillColor(UIColor::colorWithRed(1, 1, 1, 1));
    context->beginPath();
    context->moveToPoint(centre.x, centre.y);
    context->addArc(centre.x, centre.y, radius, start, start + sweep, true);
    context->closePath();
    context->fillPath();
}
