#include "kit/ProgressHUD.h"

#include "kit/ProgressHUDViewIsNillException.h"
#include "kit/RoundProgressView.h"
#include "kit/SystemNotificationNames.h"
#include "platform/foundation/DetachedThreads.h"
#include "platform/graphics/CGGradient.h"
#include "platform/graphics/TextMetric.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/ui/UIActivityIndicatorView.h"
#include "platform/ui/UIApplication.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr TimeInterval kFadeDuration = 0.30;
constexpr float kGap = 4;
constexpr float kCornerRadius = 10;

// Layout works on single-precision values and rounds them down.
float floorSingle(double value) { return std::floor(static_cast<float>(value)); }
} // namespace

std::shared_ptr<ProgressHUD> ProgressHUD::showHUDAddedTo(const UIViewPtr& view, bool animated)
{
    auto hud = createWithView(view);
    view->addSubview(hud);
    hud->show(animated);
    return hud;
}

bool ProgressHUD::hideHUDForView(const UIViewPtr& view, bool animated)
{
    if (!view)
        return false;
    std::shared_ptr<ProgressHUD> last;
    for (const auto& subview : view->subviews())
        if (auto hud = std::dynamic_pointer_cast<ProgressHUD>(subview))
            last = hud;
    if (!last)
        return false;
    last->setRemoveFromSuperViewOnHide(true);
    last->hide(animated);
    return true;
}

std::shared_ptr<ProgressHUD> ProgressHUD::createWithView(const UIViewPtr& view)
{
    if (!view)
        throw ProgressHUDViewIsNillException();
    auto hud = create(view->bounds());
    if (std::dynamic_pointer_cast<UIWindow>(view))
        hud->setTransformForCurrentOrientation(false);
    hud->observeDeviceOrientation();
    return hud;
}

std::shared_ptr<ProgressHUD> ProgressHUD::createWithWindow(const UIWindowPtr& window)
{
    return createWithView(window);
}

std::shared_ptr<ProgressHUD> ProgressHUD::create(const CGRect& frame) { return std::make_shared<ProgressHUD>(frame); }

ProgressHUD::ProgressHUD(const CGRect& frame)
    : UIView(frame)
{
    setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin
                        | UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
    setBackgroundColor(UIColor::clearColor());
    setOpaque(false);
    setAlpha(0);
    m_label = UILabel::create(bounds());
    m_detailsLabel = UILabel::create(bounds());
    applyMode(Indeterminate);
}

ProgressHUD::~ProgressHUD() { cancelPendingTimers(); }

void ProgressHUD::observeDeviceOrientation()
{
    std::weak_ptr<UIView> weak = weak_from_this();
    m_orientationObserver = NotificationCenter::defaultCenter().addObserver(
        SystemNotificationNames::DeviceOrientationDidChange, [weak](const Notification&) {
            if (auto self = weak.lock())
                static_cast<ProgressHUD&>(*self).deviceOrientationDidChange();
        });
}

void ProgressHUD::didMoveToSuperview()
{
    // Taken away from its view, the indicator has nothing left to turn with.
    if (!superview())
        m_orientationObserver.reset();
}

// Thread hand-over.

void ProgressHUD::onMain(std::function<void(ProgressHUD&)> work)
{
    if (onOwnerThread()) {
        work(*this);
        return;
    }
    std::weak_ptr<UIView> weak = weak_from_this();
    RunLoop::main().post([weak, work = std::move(work)] {
        if (auto self = weak.lock())
            work(static_cast<ProgressHUD&>(*self));
    });
}

void ProgressHUD::setMode(int mode)
{
    onMain([mode](ProgressHUD& hud) {
        if (hud.m_mode != Indeterminate && hud.m_mode == mode)
            return;
        hud.applyMode(mode);
        hud.setNeedsLayout();
        hud.setNeedsDisplay();
    });
}

void ProgressHUD::setLabelText(std::optional<std::string> text)
{
    onMain([text = std::move(text)](ProgressHUD& hud) {
        if (hud.m_labelText != text)
            hud.m_labelText = text;
        hud.setNeedsLayout();
        hud.setNeedsDisplay();
    });
}

void ProgressHUD::setDetailsLabelText(std::optional<std::string> text)
{
    onMain([text = std::move(text)](ProgressHUD& hud) {
        if (hud.m_detailsLabelText != text)
            hud.m_detailsLabelText = text;
        hud.setNeedsLayout();
        hud.setNeedsDisplay();
    });
}

void ProgressHUD::setProgress(float progress)
{
    onMain([progress](ProgressHUD& hud) {
        hud.m_progress = progress;
        if (hud.m_mode != Determinate)
            return;
        if (auto gauge = std::dynamic_pointer_cast<RoundProgressView>(hud.m_indicator))
            gauge->setProgress(progress);
        hud.setNeedsDisplay();
    });
}

void ProgressHUD::applyMode(int mode)
{
    m_mode = mode;
    updateIndicators();
}

void ProgressHUD::updateIndicators()
{
    if (m_indicator)
        m_indicator->removeFromSuperview();
    if (m_mode == Determinate) {
        m_indicator = RoundProgressView::create();
    } else if (m_mode == CustomView && m_customView) {
        m_indicator = m_customView;
    } else {
        auto spinner = UIActivityIndicatorView::create(UIActivityIndicatorViewStyle::WhiteLarge);
        spinner->startAnimating();
        m_indicator = spinner;
    }
    addSubview(m_indicator);
}

// Showing and hiding.

void ProgressHUD::show(bool animated)
{
    m_useAnimation = animated;
    cancelPendingTimers();
    ++m_cycle;
    m_cycleDone = false;
    if (m_graceTime > 0) {
        std::weak_ptr<UIView> weak = weak_from_this();
        m_graceTimer = NSTimer::scheduledTimerWithTimeInterval(m_graceTime, false, [weak](NSTimer&) {
            auto self = weak.lock();
            if (!self)
                return;
            auto& hud = static_cast<ProgressHUD&>(*self);
            hud.m_graceTimer.reset();
            // Only a task still running is worth showing once the grace time is over.
            if (hud.m_taskInProgress) {
                hud.setNeedsDisplay();
                hud.showUsingAnimation(hud.m_useAnimation);
            }
        });
        return;
    }
    setNeedsDisplay();
    showUsingAnimation(m_useAnimation);
}

void ProgressHUD::showUsingAnimation(bool animated)
{
    setAlpha(0);
    if (animated && m_animationType == Zoom)
        setTransform(CGAffineTransformConcat(m_rotationTransform, CGAffineTransformMakeScale(1.5, 1.5)));
    m_showStarted = RunLoop::main().now();
    if (!animated) {
        setAlpha(1);
        return;
    }
    UIView::animateWithDuration(kFadeDuration, [this] {
        setAlpha(1);
        if (m_animationType == Zoom)
            setTransform(m_rotationTransform);
    });
}

void ProgressHUD::hide(bool animated)
{
    m_useAnimation = animated;
    if (m_minShowTime > 0 && m_showStarted) {
        const TimeInterval shown = RunLoop::main().now() - *m_showStarted;
        if (shown < m_minShowTime) {
            if (m_minShowTimer)
                m_minShowTimer->invalidate();
            std::weak_ptr<UIView> weak = weak_from_this();
            m_minShowTimer
                = NSTimer::scheduledTimerWithTimeInterval(m_minShowTime - shown, false, [weak](NSTimer&) {
                      if (auto self = weak.lock()) {
                          auto& hud = static_cast<ProgressHUD&>(*self);
                          hud.m_minShowTimer.reset();
                          hud.hideUsingAnimation(hud.m_useAnimation);
                      }
                  });
            return;
        }
    }
    hideUsingAnimation(m_useAnimation);
}

void ProgressHUD::hideAfterDelay(bool animated, TimeInterval delay)
{
    std::weak_ptr<UIView> weak = weak_from_this();
    RunLoop::main().perform(
        [weak, animated] {
            if (auto self = weak.lock())
                static_cast<ProgressHUD&>(*self).hide(animated);
        },
        std::isfinite(delay) ? std::max(0.0, delay) : 0, this);
}

void ProgressHUD::hideUsingAnimation(bool animated)
{
    if (!animated) {
        setAlpha(0);
        done();
        return;
    }
    std::weak_ptr<UIView> weak = weak_from_this();
    const std::uint64_t cycle = m_cycle;
    UIView::animateWithDuration(
        kFadeDuration,
        [this] {
            if (m_animationType == Zoom)
                setTransform(CGAffineTransformConcat(m_rotationTransform, CGAffineTransformMakeScale(0.5, 0.5)));
            setAlpha(0.02);
        },
        [weak, cycle](bool) {
            auto self = weak.lock();
            if (self && static_cast<ProgressHUD&>(*self).m_cycle == cycle)
                static_cast<ProgressHUD&>(*self).done();
        });
}

void ProgressHUD::done()
{
    if (m_cycleDone)
        return;
    m_cycleDone = true;
    // The delegate or the superview may hold the last reference.
    const auto keep = weak_from_this().lock();
    cancelPendingTimers();
    m_isFinished = true;
    setAlpha(0);
    if (auto delegate = m_delegate.lock()) {
        if (!delegate->hudWasHidden(*this))
            delegate->hudWasHidden();
    }
    if (m_removeFromSuperViewOnHide)
        removeFromSuperview();
}

void ProgressHUD::cancelPendingTimers()
{
    if (m_graceTimer)
        m_graceTimer->invalidate();
    m_graceTimer.reset();
    if (m_minShowTimer)
        m_minShowTimer->invalidate();
    m_minShowTimer.reset();
    RunLoop::main().cancelPerforms(this);
}

void ProgressHUD::showWhileExecuting(std::function<void()> task, bool animated)
{
    m_task = std::move(task);
    m_taskInProgress = true;
    std::weak_ptr<UIView> weak = weak_from_this();
    const auto ended = [weak] {
        RunLoop::main().post([weak] {
            if (auto self = weak.lock())
                static_cast<ProgressHUD&>(*self).cleanUp();
        });
    };
    // Without a thread (the process is ending, or out of them) the task is not run, and the
    // indicator goes as if it had ended.
    if (!DetachedThreads::start([task = m_task, ended] {
            if (task)
                task();
            ended();
        }))
        ended();
    show(animated);
}

void ProgressHUD::cleanUp()
{
    m_taskInProgress = false;
    m_task = nullptr;
    // The spinner stays until the indicator is hidden, and so does the reference to it: without
    // it a later change of mode would add a second spinner beside the forgotten one.
    hide(m_useAnimation);
}

// Orientation.

void ProgressHUD::setTransformForCurrentOrientation(bool animated)
{
    const auto orientation = UIApplication::sharedApplication().statusBarOrientation();
    if (superview()) {
        setBounds(superview()->bounds());
        setNeedsDisplay();
    }
    float degrees = 0;
    if (UIInterfaceOrientationIsLandscape(orientation)) {
        degrees = orientation == UIInterfaceOrientation::LandscapeLeft ? -90 : 90;
        const CGRect b = bounds();
        setBounds(CGRectMake(0, 0, b.size.height, b.size.width));
    } else if (orientation == UIInterfaceOrientation::PortraitUpsideDown) {
        degrees = 180;
    }
    m_rotationTransform = CGAffineTransformMakeRotation(degrees * 3.1415927f / 180);
    if (animated)
        UIView::animateWithDuration(kFadeDuration, [this] { setTransform(m_rotationTransform); });
    else
        setTransform(m_rotationTransform);
}

void ProgressHUD::deviceOrientationDidChange()
{
    UIView* parent = superview();
    if (!parent)
        return;
    if (dynamic_cast<UIWindow*>(parent)) {
        setTransformForCurrentOrientation(true);
        return;
    }
    setBounds(parent->bounds());
    setNeedsDisplay();
}

// Layout and drawing.

void ProgressHUD::layoutSubviews()
{
    const CGRect frame = bounds();
    CGRect indicatorFrame = m_indicator ? m_indicator->bounds() : CGRectZero;
    m_width = static_cast<float>(indicatorFrame.size.width + 2 * m_margin);
    m_height = static_cast<float>(indicatorFrame.size.height + 2 * m_margin);
    indicatorFrame.origin.x = floorSingle((frame.size.width - indicatorFrame.size.width) / 2) + m_xOffset;
    indicatorFrame.origin.y = floorSingle((frame.size.height - indicatorFrame.size.height) / 2) + m_yOffset;

    layoutLabels(frame, indicatorFrame);
    if (m_indicator)
        m_indicator->setFrame(indicatorFrame);

    if (m_square) {
        const float side = std::max(m_width, m_height);
        if (side <= frame.size.width - 2 * m_margin)
            m_width = side;
        if (side <= frame.size.height - 2 * m_margin)
            m_height = side;
    }
    m_width = std::max(m_width, static_cast<float>(m_minSize.width));
    m_height = std::max(m_height, static_cast<float>(m_minSize.height));
}

void ProgressHUD::layoutLabels(const CGRect& frame, CGRect& indicatorFrame)
{
    // A label whose text is gone leaves the box, so an old text never lingers on screen.
    if (!m_labelText) {
        m_label->removeFromSuperview();
        m_detailsLabel->removeFromSuperview();
        return;
    }
    const double available = std::max(0.0, frame.size.width - 4.0 * m_margin);
    const CGSize measured = TextMetric::sizeWithFont(*m_labelText, *m_labelFont);
    CGRect labelFrame {{0, 0}, {std::min(measured.width, available), measured.height}};

    m_label->setFont(m_labelFont);
    m_label->setAdjustsFontSizeToFitWidth(false);
    m_label->setTextAlignment(NSTextAlignment::Center);
    m_label->setOpaque(false);
    m_label->setBackgroundColor(UIColor::clearColor());
    m_label->setTextColor(UIColor::whiteColor());
    m_label->setText(*m_labelText);

    m_width = std::max(m_width, static_cast<float>(labelFrame.size.width + 2 * m_margin));
    m_height += static_cast<float>(labelFrame.size.height + kGap);
    indicatorFrame.origin.y -= floorSingle(labelFrame.size.height / 2 + 2);

    labelFrame.origin.x = floorSingle((frame.size.width - labelFrame.size.width) / 2) + m_xOffset;
    labelFrame.origin.y = floorSingle(indicatorFrame.origin.y + indicatorFrame.size.height + kGap);
    m_label->setFrame(labelFrame);
    if (m_label->superview() != this)
        addSubview(m_label);

    if (!m_detailsLabelText) {
        m_detailsLabel->removeFromSuperview();
        return;
    }
    m_detailsLabel->setFont(m_detailsLabelFont);
    m_detailsLabel->setAdjustsFontSizeToFitWidth(false);
    m_detailsLabel->setTextAlignment(NSTextAlignment::Center);
    m_detailsLabel->setOpaque(false);
    m_detailsLabel->setBackgroundColor(UIColor::clearColor());
    m_detailsLabel->setTextColor(UIColor::whiteColor());
    m_detailsLabel->setText(*m_detailsLabelText);
    m_detailsLabel->setNumberOfLines(0);

    const CGSize limit {available, std::max(0.0, frame.size.height - m_height - 2.0 * m_margin)};
    const CGSize details
        = TextMetric::sizeWithFont(*m_detailsLabelText, *m_detailsLabelFont, limit, m_detailsLabel->lineBreakMode());
    if (m_width < details.width)
        m_width = static_cast<float>(details.width + 2 * m_margin);
    m_height += static_cast<float>(details.height + kGap);

    const float lift = floorSingle(details.height / 2 + 2);
    indicatorFrame.origin.y -= lift;
    labelFrame.origin.y -= lift;
    m_label->setFrame(labelFrame);

    const CGRect detailsFrame {{floorSingle((frame.size.width - details.width) / 2) + m_xOffset,
                                labelFrame.origin.y + labelFrame.size.height + kGap},
                               details};
    m_detailsLabel->setFrame(detailsFrame);
    if (m_detailsLabel->superview() != this)
        addSubview(m_detailsLabel);
}

void ProgressHUD::drawRect(const CGRect&)
{
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    const CGRect all = bounds();
    if (m_dimBackground) {
        const auto gradient = CGGradient::createWithColors(
            {UIColor::colorWithRed(0, 0, 0, 0), UIColor::colorWithRed(0, 0, 0, 0.75)}, {0.0, 1.0});
        const CGPoint centre {all.size.width / 2, all.size.height / 2};
        const double radius = std::min(all.size.width, all.size.height);
        if (gradient)
            context->drawRadialGradient(*gradient, centre, 0, centre, radius, CGGradient::DrawsAfterEndLocation);
    }

    // The box is placed by rounding to nearest, while the layout rounds down.
    const CGRect box {{std::round((all.size.width - m_width) / 2) + m_xOffset,
                       std::round((all.size.height - m_height) / 2) + m_yOffset},
                      {m_width, m_height}};
    context->saveGState();
    context->setFillColor(UIColor::colorWithWhite(0, m_opacity));
    context->beginPath();
    context->addRoundedRect(box, kCornerRadius);
    context->fillPath();
    context->restoreGState();
}
