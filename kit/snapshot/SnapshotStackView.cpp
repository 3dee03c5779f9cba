#include "kit/snapshot/SnapshotStackView.h"

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIGraphics.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr CGFloat kCardBorder = 14;
constexpr CGFloat kPictureInset = 6.5;
constexpr CGFloat kCurlHeight = 10;
constexpr CGFloat kCurlIndent = 5;

// The card edges land on half points, rounded in single precision.
CGFloat floorSingle(CGFloat value)
{
    return static_cast<CGFloat>(std::floor(static_cast<float>(value)));
}

double radians(double degrees)
{
    return degrees * std::numbers::pi / 180;
}

using Corners = std::array<CGPoint, 4>;

Corners cornersOf(const CGRect& r)
{
    return {CGPointMake(CGRectGetMinX(r), CGRectGetMinY(r)), CGPointMake(CGRectGetMaxX(r), CGRectGetMinY(r)),
            CGPointMake(CGRectGetMaxX(r), CGRectGetMaxY(r)), CGPointMake(CGRectGetMinX(r), CGRectGetMaxY(r))};
}

// A card turned by a (radians, not 0) whose enclosing box on screen is `box`, about mid.
Corners turnedCorners(CGPoint mid, CGSize box, double a)
{
    const CGFloat hw = box.width / 2;
    const CGFloat hh = box.height / 2;
    const CGFloat sh = 2 * hh * std::sin(a);
    const CGFloat sw = 2 * hw * std::sin(a);
    if (a > 0)
        return {CGPointMake(mid.x - hw + sh, mid.y - hh), CGPointMake(mid.x + hw, mid.y - hh + sw),
                CGPointMake(mid.x + hw - sh, mid.y + hh), CGPointMake(mid.x - hw, mid.y + hh - sw)};
    return {CGPointMake(mid.x - hw, mid.y - hh - sw), CGPointMake(mid.x + hw + sh, mid.y - hh),
            CGPointMake(mid.x + hw, mid.y + hh + sw), CGPointMake(mid.x - hw - sh, mid.y + hh)};
}

void addOutline(CGContext& context, const Corners& corners)
{
    context.moveToPoint(corners[0].x, corners[0].y);
    for (std::size_t i = 1; i < corners.size(); ++i)
        context.addLineToPoint(corners[i].x, corners[i].y);
    context.closePath();
}

} // namespace

std::shared_ptr<SnapshotStackView> SnapshotStackView::create(const CGRect& frame)
{
    return std::make_shared<SnapshotStackView>(frame);
}

SnapshotStackView::SnapshotStackView(const CGRect& frame)
    : UIView(frame)
{
    commonInitialisation();
}

void SnapshotStackView::commonInitialisation()
{
    // The unturned card comes last, so it lies on top.
    m_snapshotPositions[0].angleRotation = 2.5;
    m_snapshotPositions[1].angleRotation = -3.0;
    m_snapshotPositions[2].angleRotation = 0;
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
    m_shadowDirSign = 1.0;
}

void SnapshotStackView::setImage(UIImagePtr image)
{
    m_image = std::move(image);
    if (m_image) {
        const CGSize size = m_image->size();
        m_imageAspect = size.width / size.height;
        if (m_displayStack)
            calculateScalingToFitStack();
    }
    setNeedsDisplay();
}

void SnapshotStackView::setDisplayAsStack(bool displayAsStack)
{
    if (displayAsStack == m_displayStack)
        return;
    m_displayStack = displayAsStack;
    if (m_displayStack && m_image)
        calculateScalingToFitStack();
    setNeedsDisplay();
}

// The card whose turned box fits the view worst limits the stack, whatever the ratio: a picture
// smaller than the view is then scaled up to fit, and never past the view's edges.
void SnapshotStackView::calculateScalingToFitStack()
{
    if (!m_image)
        return;
    const CGSize picture = m_image->size();
    const CGSize frameSize = frame().size;
    double smallest = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < m_snapshotPositions.size(); ++i) {
        auto& card = m_snapshotPositions[i];
        const double a = std::fabs(radians(card.angleRotation));
        card.boundingRectSize = CGSizeMake(picture.width * std::cos(a) + picture.height * std::sin(a),
                                           picture.width * std::sin(a) + picture.height * std::cos(a));
        const double widthRatio = frameSize.width / card.boundingRectSize.width;
        const double heightRatio = frameSize.height / card.boundingRectSize.height;
        if (widthRatio < smallest) {
            m_minScaleShotIdx = static_cast<std::int64_t>(i);
            m_scaledUsingWidth = true;
            smallest = widthRatio;
        }
        if (heightRatio < smallest) {
            m_minScaleShotIdx = static_cast<std::int64_t>(i);
            m_scaledUsingWidth = false;
            smallest = heightRatio;
        }
    }
}

void SnapshotStackView::drawRect(const CGRect&)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!m_image || !context)
        return;
    const CGPoint mid = CGPointMake(CGRectGetMidX(bounds()), CGRectGetMidY(bounds()));
    const CGSize frameSize = frame().size;
    context->setFillColor(UIColor::whiteColor());
    context->setStrokeColor(UIColor::grayColor());
    context->setLineWidth(1);
    if (m_displayStack)
        calculateScalingToFitStack(); // for the frame the view has now
    const CGRect card = m_displayStack ? drawStack(*context, mid, frameSize) : drawSingleCard(*context, mid, frameSize);
    m_image->drawInRect(CGRectMake(card.origin.x + kPictureInset, card.origin.y + kPictureInset,
                                   card.size.width - 2 * kPictureInset, card.size.height - 2 * kPictureInset));
}

CGRect SnapshotStackView::drawSingleCard(CGContext& context, CGPoint mid, CGSize frameSize) const
{
    CGFloat pw = 0;
    CGFloat ph = 0;
    if (m_imageAspect > 1.0) {
        pw = frameSize.width - kCardBorder;
        ph = pw / m_imageAspect;
    } else {
        ph = frameSize.height - kCardBorder - kCurlHeight;
        pw = ph * m_imageAspect;
    }
    const CGFloat x = floorSingle(mid.x - (pw / 2 + kCardBorder / 2)) + 0.5;
    const CGFloat y = floorSingle(mid.y - (ph / 2 + kCardBorder / 2 + kCurlIndent)) + 0.5;
    const CGFloat width = floorSingle(pw + kCardBorder) - 1;
    const CGFloat height = floorSingle(ph + kCardBorder) - 1;

    // The curl: a shape inside the card's bottom strip whose shadow shows below the card,
    // deeper at the corners than in the middle.
    context.saveGState();
    context.beginPath();
    context.moveToPoint(x + kCurlIndent, y + height - kCurlHeight);
    context.addLineToPoint(x + width - kCurlIndent, y + height - kCurlHeight);
    context.addLineToPoint(x + width - kCurlIndent, y + height);
    context.addQuadCurveToPoint(x + width / 2, y + height - kCurlHeight, x + kCurlIndent, y + height);
    context.closePath();
    context.setShadowWithColor(CGSizeMake(0, 5 * m_shadowDirSign), 5, UIColor::colorWithWhite(0, 0.6));
    context.fillPath();
    context.restoreGState();

    const CGRect card = CGRectMake(x, y, width, height);
    context.beginPath();
    context.addRect(card);
    context.drawPath(CGPathDrawingMode::FillStroke);
    return card;
}

CGRect SnapshotStackView::drawStack(CGContext& context, CGPoint mid, CGSize frameSize) const
{
    const auto& limiting = m_snapshotPositions[static_cast<std::size_t>(m_minScaleShotIdx)];
    const double s = m_scaledUsingWidth ? (frameSize.width - 1 - 10) / limiting.boundingRectSize.width
                                        : (frameSize.height - 1 - 10) / limiting.boundingRectSize.height;
    const CGFloat pw = m_image->size().width * s;
    const CGFloat ph = m_image->size().height * s;
    // The unturned card carries the picture.
    const CGRect pictureCard = CGRectMake(floorSingle(mid.x - pw / 2) + 0.5, floorSingle(mid.y - ph / 2) + 0.5,
                                          floorSingle(pw), floorSingle(ph));
    for (const auto& card : m_snapshotPositions) {
        const double a = radians(card.angleRotation);
        const Corners corners = a == 0
            ? cornersOf(pictureCard)
            : turnedCorners(mid, CGSizeMake(card.boundingRectSize.width * s, card.boundingRectSize.height * s), a);
        // Filling uses the path up, so the card's outline is laid once for its shadow and once
        // for the card itself.
        context.saveGState();
        context.beginPath();
        context.saveGState();
        addOutline(context, corners);
        context.setShadowWithColor(CGSizeMake(0, 2 * m_shadowDirSign), 6, UIColor::colorWithWhite(0, 0.4));
        context.fillPath();
        context.restoreGState();
        addOutline(context, corners);
        context.drawPath(CGPathDrawingMode::FillStroke);
        context.restoreGState();
    }
    return pictureCard;
}
