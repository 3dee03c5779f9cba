#include "platform/ui/UIApplication.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/UIAlertView.h"
#include "platform/ui/UIWindow.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

namespace {
// A message may be a reply's whole text: the log keeps its start, cut between characters.
std::string logExcerpt(const std::optional<std::string>& message)
{
    constexpr std::size_t Most = 120;
    const std::string_view text = message ? std::string_view(*message) : std::string_view();
    if (text.size() <= Most)
        return std::string(text);
    std::size_t end = Most;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end)) + "...";
}
} // namespace

UIApplication& UIApplication::sharedApplication()
{
    static UIApplication* application = new UIApplication();
    return *application;
}

std::vector<std::shared_ptr<UIWindow>> UIApplication::windows() const
{
    std::vector<std::shared_ptr<UIWindow>> sorted = m_windows;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a->windowLevel() < b->windowLevel(); });
    return sorted;
}

void UIApplication::setKeyWindow(std::shared_ptr<UIWindow> window)
{
    m_keyWindow = std::move(window);
}

void UIApplication::windowShown(std::shared_ptr<UIWindow> window)
{
    if (std::find(m_windows.begin(), m_windows.end(), window) == m_windows.end())
        m_windows.push_back(std::move(window));
}

void UIApplication::windowHidden(UIWindow* window)
{
    // The caller still holds the window while it is being hidden.
    std::erase_if(m_windows, [window](const auto& w) { return w.get() == window; });
    if (m_keyWindow.get() == window)
        m_keyWindow.reset();
}

void UIApplication::windowLevelChanged(UIWindow*) {}

CGRect UIApplication::statusBarFrameFor(UIInterfaceOrientation orientation, double height, bool hidden) const
{
    if (hidden)
        return CGRectZero;
    const double width = UIInterfaceOrientationIsLandscape(orientation) ? 1024 : 768;
    return CGRectMake(0, 0, width, height);
}

CGRect UIApplication::statusBarFrame() const
{
    return statusBarFrameFor(m_orientation, m_statusBarHeight, m_statusBarHidden);
}

void UIApplication::changeStatusBar(UIInterfaceOrientation orientation, double height, bool hidden)
{
    auto& center = NotificationCenter::defaultCenter();
    const CGRect oldFrame = statusBarFrame();
    const CGRect newFrame = statusBarFrameFor(orientation, height, hidden);
    const UIInterfaceOrientation oldOrientation = m_orientation;
    const bool turning = orientation != oldOrientation;
    if (turning)
        center.post(UIApplicationWillChangeStatusBarOrientationNotification, this,
                    {{UIApplicationStatusBarOrientationUserInfoKey, orientation}});
    if (newFrame != oldFrame)
        center.post(UIApplicationWillChangeStatusBarFrameNotification, this,
                    {{UIApplicationStatusBarFrameUserInfoKey, newFrame}});
    m_orientation = orientation;
    m_statusBarHeight = height;
    m_statusBarHidden = hidden;
    if (newFrame != oldFrame)
        center.post(UIApplicationDidChangeStatusBarFrameNotification, this,
                    {{UIApplicationStatusBarFrameUserInfoKey, oldFrame}});
    if (turning)
        center.post(UIApplicationDidChangeStatusBarOrientationNotification, this,
                    {{UIApplicationStatusBarOrientationUserInfoKey, oldOrientation}});
}

void UIApplication::setStatusBarHeight(double height)
{
    if (!std::isfinite(height) || height < 0 || height > 200)
        return;
    changeStatusBar(m_orientation, height, m_statusBarHidden);
}

void UIApplication::setStatusBarOrientation(UIInterfaceOrientation orientation, bool)
{
    if (orientation == UIInterfaceOrientation::Unknown)
        return;
    changeStatusBar(orientation, m_statusBarHeight, m_statusBarHidden);
}

void UIApplication::setStatusBarHidden(bool hidden)
{
    changeStatusBar(m_orientation, m_statusBarHeight, hidden);
}

bool UIApplication::finishLaunching()
{
    const bool ok = m_delegate ? m_delegate->applicationDidFinishLaunching(*this) : true;
    NotificationCenter::defaultCenter().post(UIApplicationDidFinishLaunchingNotification, this);
    return ok;
}

void UIApplication::becomeActive()
{
    if (m_delegate)
        m_delegate->applicationDidBecomeActive(*this);
    NotificationCenter::defaultCenter().post(UIApplicationDidBecomeActiveNotification, this);
}

void UIApplication::resignActive()
{
    if (m_delegate)
        m_delegate->applicationWillResignActive(*this);
    NotificationCenter::defaultCenter().post(UIApplicationWillResignActiveNotification, this);
}

void UIApplication::enterBackground()
{
    if (m_delegate)
        m_delegate->applicationDidEnterBackground(*this);
    NotificationCenter::defaultCenter().post(UIApplicationDidEnterBackgroundNotification, this);
}

void UIApplication::enterForeground()
{
    if (m_delegate)
        m_delegate->applicationWillEnterForeground(*this);
    NotificationCenter::defaultCenter().post(UIApplicationWillEnterForegroundNotification, this);
}

void UIApplication::terminate()
{
    if (m_delegate)
        m_delegate->applicationWillTerminate(*this);
    NotificationCenter::defaultCenter().post(UIApplicationWillTerminateNotification, this);
}

bool UIApplication::quit(double backgroundTime)
{
    resignActive();
    enterBackground();
    terminate();
    // Tasks end themselves from the main loop, often with work handed back from other threads.
    const bool ended = RunLoop::main().runUntil([this] { return backgroundTaskCount() == 0; }, backgroundTime);
    expireBackgroundTasks();
    return ended;
}

void UIApplication::receiveMemoryWarning()
{
    if (m_delegate)
        m_delegate->applicationDidReceiveMemoryWarning(*this);
    NotificationCenter::defaultCenter().post(UIApplicationDidReceiveMemoryWarningNotification, this);
}

UIBackgroundTaskIdentifier UIApplication::beginBackgroundTask(std::function<void()> expirationHandler)
{
    std::lock_guard lock(m_tasksMutex);
    const auto id = m_nextTask++;
    m_backgroundTasks.emplace(id, std::move(expirationHandler));
    return id;
}

void UIApplication::endBackgroundTask(UIBackgroundTaskIdentifier identifier)
{
    std::lock_guard lock(m_tasksMutex);
    m_backgroundTasks.erase(identifier);
}

std::size_t UIApplication::backgroundTaskCount() const
{
    std::lock_guard lock(m_tasksMutex);
    return m_backgroundTasks.size();
}

void UIApplication::expireBackgroundTasks()
{
    std::map<UIBackgroundTaskIdentifier, std::function<void()>> tasks;
    {
        std::lock_guard lock(m_tasksMutex);
        tasks = m_backgroundTasks;
    }
    // A handler is expected to end its task; one that does not is ended here.
    for (auto& [id, handler] : tasks) {
        if (handler)
            handler();
        endBackgroundTask(id);
    }
}

std::shared_ptr<UIAlertView> UIApplication::topAlert() const
{
    return m_alerts.empty() ? nullptr : m_alerts.back();
}

bool UIApplication::setRaisingUnaskedAlerts(bool unasked)
{
    return std::exchange(m_raisingUnasked, unasked);
}

bool UIApplication::admitsAlert(const UIAlertView& alert)
{
    if (m_raisingUnasked) {
        if (!m_unaskedAlert)
            return true; // it speaks for those that follow once it is up
        foldUnasked(alert);
        return false;
    }
    if (std::none_of(m_alerts.begin(), m_alerts.end(), [&](const auto& up) { return up->isSameAlertAs(alert); }))
        return true;
    NSLog("alert not shown, the same is up: %s: %s", alert.title().c_str(), logExcerpt(alert.message()).c_str());
    return false;
}

// The alert up keeps only the latest text: however many fold in, it holds one message.
void UIApplication::foldUnasked(const UIAlertView& alert)
{
    ++m_unaskedCount;
    m_unaskedAlert->setTitle(alert.title());
    std::string message = alert.message().value_or("");
    if (!message.empty())
        message += "\n";
    m_unaskedAlert->setMessage(message + "（共 " + std::to_string(m_unaskedCount) + " 条）");
}

void UIApplication::pushAlert(std::shared_ptr<UIAlertView> alert)
{
    if (!alert || std::find(m_alerts.begin(), m_alerts.end(), alert) != m_alerts.end())
        return;
    if (m_raisingUnasked && !m_unaskedAlert) {
        m_unaskedAlert = alert;
        m_unaskedCount = 1;
    }
    m_alerts.push_back(std::move(alert));
}

void UIApplication::removeAlert(const UIAlertView* alert)
{
    if (m_unaskedAlert.get() == alert) {
        if (m_unaskedCount > 1)
            NSLog("%zu alerts nobody asked for were taken away together, the last: %s: %s", m_unaskedCount,
                  alert->title().c_str(), logExcerpt(alert->message()).c_str());
        m_unaskedAlert.reset();
        m_unaskedCount = 0;
    }
    std::erase_if(m_alerts, [alert](const auto& a) { return a.get() == alert; });
}

void UIApplication::resetForTesting()
{
    auto windows = std::move(m_windows);
    m_windows.clear();
    m_keyWindow.reset();
    auto alerts = std::move(m_alerts);
    m_alerts.clear();
    m_unaskedAlert.reset();
    m_unaskedCount = 0;
    m_raisingUnasked = false;
    m_delegate.reset();
    m_orientation = UIInterfaceOrientation::LandscapeRight;
    m_statusBarHeight = 20;
    m_statusBarHidden = false;
    m_statusBarStyle = UIStatusBarStyle::Default;
    UIView::resetAnimations();
}
