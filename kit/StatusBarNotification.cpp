#include "kit/StatusBarNotification.h"

#include "kit/StatusBarNotificationViewController.h"
#include "platform/foundation/NumberValue.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/CAAnimation.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIDevice.h"
#include "platform/ui/UIScreen.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {
std::mutex g_sharedMutex;
std::shared_ptr<StatusBarNotification> g_shared;

constexpr double AnimationDuration = 0.4;

void setLabelText(const UIViewPtr& view, const std::optional<std::string>& text)
{
    if (auto label = std::dynamic_pointer_cast<UILabel>(view))
        label->setText(text.value_or(""));
}
} // namespace

std::shared_ptr<StatusBarNotification> StatusBarNotification::sharedInstance()
{
    std::lock_guard lock(g_sharedMutex);
    if (!g_shared) {
        g_shared = std::shared_ptr<StatusBarNotification>(new StatusBarNotification());
        // Steps that hand out references to the strip run once it is owned.
        g_shared->m_statusBarFrameObserver = NotificationCenter::defaultCenter().addObserver(
            UIApplicationWillChangeStatusBarFrameNotification,
            [weak = std::weak_ptr<StatusBarNotification>(g_shared)](const Notification& n) {
                if (auto self = weak.lock())
                    self->willChangeStatusBarFrame(n);
            });
        g_shared->topBar();
        g_shared->buildPairs();
    }
    return g_shared;
}

void StatusBarNotification::resetSharedInstanceForTesting()
{
    std::shared_ptr<StatusBarNotification> old;
    {
        std::lock_guard lock(g_sharedMutex);
        old = std::move(g_shared);
        g_shared.reset();
    }
    if (old && old->m_overlayWindow)
        old->m_overlayWindow->setHidden(true);
}

StatusBarNotification::StatusBarNotification()
{
    setupDefaultStyles();
}

StatusBarNotification::~StatusBarNotification()
{
    if (m_dismissTimer)
        m_dismissTimer->invalidate();
}

void StatusBarNotification::buildPairs()
{
    const double b = m_topBar->frame().size.width;
    const double w = (b - 100) / 4;
    const auto font = UIFont::fontWithName("HelveticaNeue-Bold", 12);
    const auto makeIcon = [&](const char* name, double x) {
        auto icon = UIImageView::create(CGRectMake(x, 3, 14, 14));
        icon->setImage(UIImage::imageNamed(name));
        m_topBar->addSubview(icon);
        return icon;
    };
    const auto makeLabel = [&](CGRect frame, std::optional<std::string> text, int tag) {
        auto label = UILabel::create(frame);
        label->setTextColor(UIColor::whiteColor());
        label->setFont(font);
        label->setShadowOffset({0, 1});
        if (text)
            label->setText(*text);
        label->setBackgroundColor(UIColor::clearColor());
        label->setTag(tag);
        m_topBar->addSubview(label);
        return label;
    };
    // The server address is read once, here; a missing setting leaves the address empty.
    const std::string server = UserDefaults::standard().stringForKey("Server_Ip").value_or("");

    m_offLineImageView = makeIcon("Computer Off", 100);
    m_offLineLabel = makeLabel(CGRectMake(120, 3, w - 70, 14), "在线", OffLineLabelTag);
    m_serverImageView = makeIcon("web_server", 100 + w - 50);
    m_serverLabel = makeLabel(CGRectMake(100 + w - 30, 3, w + 30, 14), "服务器：" + server, ServerLabelTag);
    m_clerkImageView = makeIcon("tab_me", 100 + 2 * w);
    m_clerkLabel = makeLabel(CGRectMake(100 + 2 * w + 20, 3, w - 20, 14), std::nullopt, ClerkLabelTag);
    m_wifiImageView = makeIcon("Clock.png", 100 + 3 * w);
    m_wifiLabel = makeLabel(CGRectMake(100 + 3 * w + 20, 3, w - 20, 14), std::nullopt, WifiLabelTag);
}

// Class operations.

StatusBarViewPtr StatusBarNotification::showCustomStatus()
{
    return sharedInstance()->showWithStatus(std::nullopt, StatusBarStyleMatrix);
}

StatusBarViewPtr StatusBarNotification::showWithStatus(std::optional<std::string> status)
{
    return sharedInstance()->showWithStatus(std::move(status), std::nullopt);
}

StatusBarViewPtr StatusBarNotification::showWithStatusDismissAfter(std::optional<std::string> status,
                                                                   TimeInterval seconds,
                                                                   std::optional<std::string> styleName)
{
    auto bar = sharedInstance()->showWithStatus(std::move(status), std::move(styleName));
    dismissAfter(seconds);
    return bar;
}

void StatusBarNotification::dismiss() { sharedInstance()->dismissAnimated(true); }
void StatusBarNotification::dismissAfter(TimeInterval seconds) { sharedInstance()->setDismissTimerWithInterval(seconds); }
void StatusBarNotification::showProgress(double progress) { sharedInstance()->setProgress(progress); }

// Styles.

void StatusBarNotification::setupDefaultStyles()
{
    m_defaultStyle = StatusBarStyle::defaultStyleWithName(StatusBarStyleDefault);
    m_userStyles.clear();
    for (const auto& identifier : StatusBarStyle::allDefaultStyleIdentifier())
        m_userStyles[identifier] = StatusBarStyle::defaultStyleWithName(identifier);
}

std::string StatusBarNotification::addStyleNamed(const std::string& identifier, const StylePreparation& prepare)
{
    if (!prepare)
        return identifier;
    if (auto style = prepare(m_defaultStyle->copy()))
        m_userStyles[identifier] = std::move(style);
    return identifier;
}

void StatusBarNotification::setDefaultStyle(const StylePreparation& prepare)
{
    if (!prepare)
        return;
    if (auto style = prepare(m_defaultStyle->copy()))
        m_defaultStyle = std::move(style);
}

StatusBarStylePtr StatusBarNotification::styleNamed(const std::optional<std::string>& identifier) const
{
    if (identifier) {
        if (auto it = m_userStyles.find(*identifier); it != m_userStyles.end())
            return it->second;
    }
    return m_defaultStyle;
}

StatusBarStylePtr StatusBarNotification::styleInForce() const
{
    auto active = m_activeStyle.lock();
    return active ? active : m_defaultStyle;
}

// Parts.

const UIWindowPtr& StatusBarNotification::overlayWindow()
{
    if (!m_overlayWindow) {
        m_overlayWindow = UIWindow::create(UIScreen::mainScreen().bounds());
        m_overlayWindow->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
        m_overlayWindow->setBackgroundColor(UIColor::clearColor());
        m_overlayWindow->setUserInteractionEnabled(false);
        m_overlayWindow->setWindowLevel(UIWindowLevelStatusBar);
        m_overlayWindow->setRootViewController(std::make_shared<StatusBarNotificationViewController>());
        updateWindowTransform();
        updateTopBarFrameWithStatusBarFrame(UIApplication::sharedApplication().statusBarFrame());
    }
    return m_overlayWindow;
}

const StatusBarViewPtr& StatusBarNotification::topBar()
{
    if (!m_topBar) {
        m_topBar = StatusBarView::create();
        // Making the window sizes this new bar, which must therefore already be the bar.
        overlayWindow()->rootViewController()->view()->addSubview(m_topBar);
        if (styleInForce()->animationType == StatusBarStyle::Fade)
            m_topBar->setAlpha(0);
        else
            m_topBar->setTransform(CGAffineTransformMakeTranslation(0, -m_topBar->frame().size.height));
    }
    return m_topBar;
}

const UIViewPtr& StatusBarNotification::progressView()
{
    if (!m_progressView)
        m_progressView = UIView::create(CGRectZero);
    return m_progressView;
}

void StatusBarNotification::updateTopBarFrameWithStatusBarFrame(CGRect statusBarFrame)
{
    const double width = std::max(statusBarFrame.size.width, statusBarFrame.size.height);
    const double height = std::min(statusBarFrame.size.width, statusBarFrame.size.height);
    const double version = doubleValue(UIDevice::currentDevice().systemVersion());
    const double y = version >= 7.0 && height > 20 ? -height / 2 : 0;
    topBar()->setFrame(CGRectMake(0, y, width, height));
}

void StatusBarNotification::updateWindowTransform()
{
    auto& application = UIApplication::sharedApplication();
    UIWindowPtr reference = application.keyWindow();
    if (!reference && !application.windows().empty())
        reference = application.windows().front();
    auto window = overlayWindow();
    if (!reference) {
        // Nothing to follow: the overlay takes what a missing window answers, nothing at all.
        window->setTransform(CGAffineTransformMake(0, 0, 0, 0, 0, 0));
        window->setFrame(CGRectZero);
        return;
    }
    window->setTransform(reference->transform());
    window->setFrame(reference->frame());
}

void StatusBarNotification::willChangeStatusBarFrame(const Notification& notification)
{
    const auto it = notification.userInfo.find(UIApplicationStatusBarFrameUserInfoKey);
    if (it == notification.userInfo.end())
        return;
    const CGRect* frame = std::any_cast<CGRect>(&it->second);
    if (!frame)
        return;
    const CGRect newFrame = *frame;
    UIView::animateWithDuration(0.5, [this, newFrame] {
        updateWindowTransform();
        updateTopBarFrameWithStatusBarFrame(newFrame);
        setProgress(m_progress);
    });
}

// Showing and dismissing.

StatusBarViewPtr StatusBarNotification::showWithStatus(std::optional<std::string> status,
                                                       std::optional<std::string> styleName)
{
    return showWithStatusStyle(std::move(status), styleNamed(styleName));
}

StatusBarViewPtr StatusBarNotification::showWithStatusStyle(std::optional<std::string> status,
                                                            const StatusBarStylePtr& requested)
{
    const StatusBarStylePtr style = requested ? requested : m_defaultStyle;
    ++m_showing; // a dismissal still finishing must leave this showing alone
    const auto bar = topBar();
    if (m_activeStyle.lock() != style) {
        m_activeStyle = style;
        if (style->animationType == StatusBarStyle::Fade) {
            bar->setAlpha(0);
            bar->setTransform(CGAffineTransformIdentity);
        } else {
            bar->setAlpha(1);
            bar->setTransform(CGAffineTransformMakeTranslation(0, -bar->frame().size.height));
        }
    }
    bar->layer().removeAllAnimations();
    overlayWindow()->setHidden(false);

    bar->setBackgroundColor(style->barColor);
    bar->setTextVerticalPositionAdjustment(style->textVerticalPositionAdjustment);
    const auto& label = bar->textLabel();
    label->setTextColor(style->textColor);
    label->setFont(style->font);
    label->setText(status.value_or(""));
    if (style->textShadow) {
        label->setShadowColor(style->textShadow->shadowColor);
        label->setShadowOffset(style->textShadow->shadowOffset);
    } else {
        label->setShadowColor(nullptr);
        label->setShadowOffset({0, 0});
    }

    setProgress(0);
    showActivityIndicator(false, UIActivityIndicatorViewStyle::WhiteLarge);

    const bool animated = style->animationType != StatusBarStyle::None;
    if (animated && style->animationType == StatusBarStyle::Bounce) {
        animateInWithBounceAnimation();
    } else {
        UIView::animateWithDuration(animated ? AnimationDuration : 0, [bar] {
            bar->setAlpha(1);
            bar->setTransform(CGAffineTransformIdentity);
        });
    }

    setLabelText(bar->viewWithTag(OffLineLabelTag), m_offLineStr);
    setLabelText(bar->viewWithTag(ClerkLabelTag), m_clerkStr);
    setLabelText(bar->viewWithTag(WifiLabelTag), m_wifiStr);
    return bar;
}

std::vector<float> StatusBarNotification::bounceOffsets()
{
    const float k = 7.5625f;
    const auto ease = [k](float t) {
        if (t < 4.0f / 11.0f)
            return k * t * t;
        if (t < 8.0f / 11.0f) {
            const float u = t - 6.0f / 11.0f;
            return k * u * u + 0.75f;
        }
        if (t < 10.0f / 11.0f) {
            const float u = t - 9.0f / 11.0f;
            return k * u * u + 0.9375f;
        }
        const float u = t - 21.0f / 22.0f;
        return k * u * u + 0.984375f;
    };
    std::vector<float> offsets;
    offsets.reserve(100);
    for (int i = 1; i <= 100; ++i) {
        const float t = static_cast<float>(i) / 100.0f;
        offsets.push_back(-20.0f + ease(t) * (0.0f - (-20.0f)));
    }
    return offsets;
}

void StatusBarNotification::animateInWithBounceAnimation()
{
    const auto bar = m_topBar;
    if (!bar || !(bar->frame().origin.y < 0))
        return;
    auto animation = CAKeyframeAnimation::animationWithKeyPath("transform");
    for (float offset : bounceOffsets())
        animation->values.emplace_back(CGAffineTransformMakeTranslation(0, offset));
    animation->timingFunction = "linear";
    animation->duration = 0.66;
    animation->removedOnCompletion = false;
    animation->fillMode = "forwards";
    std::weak_ptr<StatusBarView> weakBar = bar;
    animation->didStop = [weakBar](bool) {
        if (auto b = weakBar.lock()) {
            b->setTransform(CGAffineTransformIdentity);
            b->layer().removeAllAnimations();
        }
    };
    // The model value is the end of the bounce: in place.
    bar->setTransform(CGAffineTransformIdentity);
    bar->layer().addAnimation(animation, "StatusBarBounceAnimation");
}

void StatusBarNotification::dismissAnimated(bool animated)
{
    if (m_dismissTimer) {
        m_dismissTimer->invalidate();
        m_dismissTimer.reset();
    }
    const auto style = styleInForce();
    const bool moving = animated && style->animationType != StatusBarStyle::None;
    const auto bar = m_topBar;
    std::weak_ptr<StatusBarNotification> weak = weak_from_this();
    const std::uint64_t showing = ++m_showing;
    UIView::animateWithDuration(
        moving ? AnimationDuration : 0,
        [bar, style] {
            if (!bar)
                return;
            if (style->animationType == StatusBarStyle::Fade)
                bar->setAlpha(0);
            else
                bar->setTransform(CGAffineTransformMakeTranslation(0, -bar->frame().size.height));
        },
        [weak, showing](bool) {
            auto self = weak.lock();
            if (!self || self->m_showing != showing)
                return;
            if (self->m_overlayWindow) {
                self->m_overlayWindow->removeFromSuperview();
                self->m_overlayWindow->setHidden(true);
            }
            self->m_overlayWindow.reset();
            self->m_progressView.reset();
            self->m_topBar.reset();
        });
}

void StatusBarNotification::dismiss(NSTimer&)
{
    dismissAnimated(true);
}

void StatusBarNotification::setDismissTimerWithInterval(TimeInterval seconds)
{
    if (m_dismissTimer)
        m_dismissTimer->invalidate();
    std::weak_ptr<StatusBarNotification> weak = weak_from_this();
    m_dismissTimer = NSTimer::timerWithTimeInterval(seconds, false, [weak](NSTimer& timer) {
        if (auto self = weak.lock())
            self->dismiss(timer);
    });
    m_dismissTimer->addToRunLoop(RunLoop::main(), {RunLoopModes::Common});
}

// Progress and activity.

void StatusBarNotification::setProgress(double value)
{
    if (!m_topBar)
        return;
    m_progress = std::isnan(value) ? 0 : std::clamp(value, 0.0, 1.0);
    const auto& view = progressView();
    if (m_progress == 0) {
        view->setFrame(CGRectZero);
        return;
    }
    const auto style = styleInForce();
    const auto bar = m_topBar;
    if (style->progressBarPosition == StatusBarStyle::Below
        || style->progressBarPosition == StatusBarStyle::NavigationBar) {
        if (auto parent = bar->superview())
            parent->addSubview(view);
    } else {
        bar->insertSubviewBelowSubview(view, bar->textLabel().get());
    }
    const CGRect barFrame = bar->frame();
    double height = std::min(barFrame.size.height, std::max(0.5, style->progressBarHeight));
    if (height == 20 && barFrame.size.height > 20)
        height = barFrame.size.height;
    const double width = std::round(barFrame.size.width * m_progress);
    double y = 0;
    switch (style->progressBarPosition) {
    case StatusBarStyle::Bottom:
        y = barFrame.size.height - height;
        break;
    case StatusBarStyle::Center:
        y = std::round((barFrame.size.height - height) / 2);
        break;
    case StatusBarStyle::Top:
        y = 0;
        break;
    case StatusBarStyle::Below:
        y = barFrame.size.height;
        break;
    case StatusBarStyle::NavigationBar: {
        const bool phoneInLandscape = UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Phone
            && UIInterfaceOrientationIsLandscape(UIApplication::sharedApplication().statusBarOrientation());
        y = barFrame.size.height + (phoneInLandscape ? 32 : 44);
        break;
    }
    default:
        y = bar->bounds().origin.y;
        break;
    }
    view->setBackgroundColor(style->progressBarColor);
    const bool wasEmpty = CGRectIsEmpty(view->frame());
    const CGRect target = CGRectMake(0, y, width, height);
    UIView::animateWithDuration(wasEmpty ? 0 : 0.05, 0, UIViewAnimationOptionCurveLinear,
                                [view, target] { view->setFrame(target); });
}

void StatusBarNotification::showActivityIndicator(bool show, UIActivityIndicatorViewStyle style)
{
    if (!m_topBar)
        return;
    const auto& indicator = m_topBar->activityIndicatorView();
    if (show) {
        indicator->startAnimating();
        indicator->setActivityIndicatorViewStyle(style);
    } else {
        indicator->stopAnimating();
    }
}
