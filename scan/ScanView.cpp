#include "scan/ScanView.h"

#include "platform/capture/AVCaptureMetadataOutput.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/UIGraphics.h"
#include "scan/ScanFrameGeometry.h"

#include <cmath>

std::shared_ptr<ScanView> ScanView::initWithFrame(const CGRect& frame, ScanViewStylePtr style)
{
    return std::make_shared<ScanView>(frame, std::move(style));
}

ScanView::ScanView(const CGRect& frame, ScanViewStylePtr style)
    : UIView(frame)
    , m_viewStyle(style ? std::move(style) : ScanViewStyle::create())
{
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
}

void ScanView::drawRect(const CGRect&)
{
    drawScanRect();
}

void ScanView::drawScanRect()
{
    const CGRect f = frame();
    NSLog("frame:{{%g, %g}, {%g, %g}}", f.origin.x, f.origin.y, f.size.width, f.size.height);
    const auto& style = *m_viewStyle;
    const auto g = ScanFrameGeometry::forView(f.size, style);
    m_scanRetangleRect = g.rect();
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const double VW = f.size.width, VH = f.size.height;
    context->setFillColor(UIColor::colorWithRed(style.red_notRecoginitonArea, style.green_notRecoginitonArea,
                                                style.blue_notRecoginitonArea, style.alpa_notRecoginitonArea));
    context->fillRect(CGRectMake(0, 0, VW, g.T));
    context->fillRect(CGRectMake(0, g.T, g.L, g.H));
    context->fillRect(CGRectMake(g.R, g.T, g.L, g.H));
    context->fillRect(CGRectMake(0, g.B, VW, VH - g.B));
    if (style.isNeedShowRetangle) {
        context->setStrokeColor(style.colorRetangleLine);
        context->setLineWidth(1);
        context->strokeRect(g.rect());
    }
    drawCornerMarks(*context, g.L, g.T, g.R, g.B);
}

void ScanView::drawCornerMarks(CGContext& context, double L, double T, double R, double B)
{
    const auto& style = *m_viewStyle;
    const double lw = style.photoframeLineW;
    const double aw = std::trunc(style.photoframeAngleW), ah = std::trunc(style.photoframeAngleH);
    const double d = style.photoframeAngleStyle == 0 ? -lw / 2 : style.photoframeAngleStyle == 2 ? 0 : lw / 3;
    const double x1 = L - d, y1 = T - d, x2 = R + d, y2 = B + d, h = lw / 2;
    context.setStrokeColor(style.colorAngle);
    context.setLineWidth(lw);
    const auto segment = [&](double ax, double ay, double bx, double by) {
        context.moveToPoint(ax, ay);
        context.addLineToPoint(bx, by);
    };
    context.beginPath();
    segment(x1 - h, y1, x1 + aw, y1), segment(x1, y1 - h, x1, y1 + ah);
    segment(x1 - h, y2, x1 + aw, y2), segment(x1, y2 + h, x1, y2 - ah);
    segment(x2 + h, y1, x2 - aw, y1), segment(x2, y1 - h, x2, y1 + ah);
    segment(x2 + h, y2, x2 - aw, y2), segment(x2, y2 + h, x2, y2 - ah);
    context.strokePath();
}

void ScanView::startDeviceReadyingWithText(const std::string& text)
{
    if (m_activityView)
        return;
    const auto g = ScanFrameGeometry::forView(frame().size, *m_viewStyle);
    m_activityView = UIActivityIndicatorView::create(UIActivityIndicatorViewStyle::WhiteLarge);
    m_activityView->setFrame(CGRectMake(0, 0, 30, 30));
    m_activityView->setCenter(
        CGPointMake(g.L + g.W / 2 - 50, frame().size.height / 2 - m_viewStyle->centerUpOffset));
    addSubview(m_activityView);
    const CGRect spinner = m_activityView->frame();
    m_labelReadying = UILabel::create(
        CGRectMake(spinner.origin.x + spinner.size.width + 10, spinner.origin.y, 100, 30));
    m_labelReadying->setBackgroundColor(UIColor::clearColor());
    m_labelReadying->setTextColor(UIColor::whiteColor());
    m_labelReadying->setFont(UIFont::systemFontOfSize(18));
    m_labelReadying->setText(text);
    addSubview(m_labelReadying);
    m_activityView->startAnimating();
}

void ScanView::stopDeviceReadying()
{
    if (!m_activityView)
        return;
    m_activityView->stopAnimating();
    m_activityView->removeFromSuperview();
    m_labelReadying->removeFromSuperview();
    m_activityView.reset();
    m_labelReadying.reset();
}

void ScanView::startScanAnimation()
{
    // The frame the next drawing pass will draw, even when none has run yet.
    m_scanRetangleRect = ScanFrameGeometry::forView(frame().size, *m_viewStyle).rect();
    const CGRect& r = m_scanRetangleRect;
    switch (m_viewStyle->anmiationStyle) {
    case 0:
        if (!m_scanLineAnimation)
            m_scanLineAnimation = ScanLineAnimation::create();
        m_scanLineAnimation->startAnimatingWithRect(r, *this, m_viewStyle->animationImage);
        break;
    case 1:
        if (!m_scanNetAnimation)
            m_scanNetAnimation = ScanNetAnimation::create();
        m_scanNetAnimation->startAnimatingWithRect(r, *this, m_viewStyle->animationImage);
        break;
    case 2:
        if (!m_scanLineStill) {
            m_scanLineStill = UIImageView::create(
                CGRectMake(r.origin.x + 20, r.origin.y + r.size.height / 2, r.size.width - 40, 2));
            m_scanLineStill->setImage(m_viewStyle->animationImage);
        }
        addSubview(m_scanLineStill);
        break;
    default:
        break;
    }
}

void ScanView::stopScanAnimation()
{
    if (m_scanLineAnimation)
        m_scanLineAnimation->stopAnimating();
    if (m_scanNetAnimation)
        m_scanNetAnimation->stopAnimating();
    if (m_scanLineStill)
        m_scanLineStill->removeFromSuperview();
}

void ScanView::showNotice(const std::string& text)
{
    if (text.empty()) {
        if (m_labelNotice)
            m_labelNotice->removeFromSuperview();
        m_labelNotice.reset();
        return;
    }
    const auto g = ScanFrameGeometry::forView(frame().size, *m_viewStyle);
    if (!m_labelNotice) {
        m_labelNotice = UILabel::create(CGRectMake(g.L, g.T + g.H / 2 - 15, g.W, 30));
        m_labelNotice->setBackgroundColor(UIColor::clearColor());
        m_labelNotice->setTextColor(UIColor::whiteColor());
        m_labelNotice->setFont(UIFont::systemFontOfSize(18));
        m_labelNotice->setTextAlignment(NSTextAlignment::Center);
        addSubview(m_labelNotice);
    }
    m_labelNotice->setText(text);
}

CGRect ScanView::getScanRectWithPreView(const UIView& view, const ScanViewStyle& style)
{
    const auto g = ScanFrameGeometry::forView(view.frame().size, style);
    const double vw = view.bounds().size.width, vh = view.bounds().size.height;
    if (!(vw > 0) || !(vh > 0) || !std::isfinite(vw) || !std::isfinite(vh))
        return CGRectZero;
    CGRect r;
    if (vh / vw < 1.7777777777777777) {
        const double ph = vw * 1920 / 1080;
        r = CGRectMake((g.T + (ph - vh) / 2) / ph, g.L / vw, g.H / ph, g.W / vw);
    } else {
        const double pw = vh * 1080 / 1920;
        r = CGRectMake(g.T / vh, ((pw - vw) / 2 + g.L) / pw, g.H / vh, g.W / pw);
    }
    return AVCaptureMetadataOutput::clampedToUnitSquare(r);
}
