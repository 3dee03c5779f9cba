#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/ui/UIViewTypes.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class UIAlertView;
class UIApplication;
class UIWindow;

inline const std::string UIApplicationDidFinishLaunchingNotification = "UIApplicationDidFinishLaunchingNotification";
inline const std::string UIApplicationDidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
inline const std::string UIApplicationWillResignActiveNotification = "UIApplicationWillResignActiveNotification";
inline const std::string UIApplicationDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
inline const std::string UIApplicationWillEnterForegroundNotification = "UIApplicationWillEnterForegroundNotification";
inline const std::string UIApplicationWillTerminateNotification = "UIApplicationWillTerminateNotification";
inline const std::string UIApplicationDidReceiveMemoryWarningNotification
    = "UIApplicationDidReceiveMemoryWarningNotification";

using UIBackgroundTaskIdentifier = std::uint64_t;
inline constexpr UIBackgroundTaskIdentifier UIBackgroundTaskInvalid = 0;
inline const std::string UIApplicationWillChangeStatusBarFrameNotification
    = "UIApplicationWillChangeStatusBarFrameNotification";
inline const std::string UIApplicationDidChangeStatusBarFrameNotification
    = "UIApplicationDidChangeStatusBarFrameNotification";
inline const std::string UIApplicationWillChangeStatusBarOrientationNotification
    = "UIApplicationWillChangeStatusBarOrientationNotification";
inline const std::string UIApplicationDidChangeStatusBarOrientationNotification
    = "UIApplicationDidChangeStatusBarOrientationNotification";
// User information: a CGRect (the new frame on will-change, the old one on did-change).
inline const std::string UIApplicationStatusBarFrameUserInfoKey = "UIApplicationStatusBarFrameUserInfoKey";
// User information: a UIInterfaceOrientation (new on will-change, old on did-change).
inline const std::string UIApplicationStatusBarOrientationUserInfoKey = "UIApplicationStatusBarOrientationUserInfoKey";

// The application's side of its life cycle; every method is optional.
class UIApplicationDelegate {
public:
    virtual ~UIApplicationDelegate() = default;
    virtual bool applicationDidFinishLaunching(UIApplication&) { return true; }
    virtual void applicationWillResignActive(UIApplication&) {}
    virtual void applicationDidEnterBackground(UIApplication&) {}
    virtual void applicationWillEnterForeground(UIApplication&) {}
    virtual void applicationDidBecomeActive(UIApplication&) {}
    virtual void applicationWillTerminate(UIApplication&) {}
    virtual void applicationDidReceiveMemoryWarning(UIApplication&) {}
};

// The one application object: its windows, the status bar's frame and orientation, the alerts on
// screen and the life-cycle notifications. Main thread only.
class UIApplication {
public:
    static UIApplication& sharedApplication();
    UIApplication(const UIApplication&) = delete;
    UIApplication& operator=(const UIApplication&) = delete;

    // Visible windows, back to front: by level, then in the order they were shown.
    std::vector<std::shared_ptr<UIWindow>> windows() const;
    std::shared_ptr<UIWindow> keyWindow() const { return m_keyWindow; }
    void setKeyWindow(std::shared_ptr<UIWindow> window);

    // The status bar lies along the top edge of the interface: 1024 × 20 in landscape,
    // 768 × 20 in portrait, and empty while hidden.
    CGRect statusBarFrame() const;
    double statusBarHeight() const { return m_statusBarHeight; }
    // A bar of another height (a call in progress makes it taller), with the frame notifications.
    void setStatusBarHeight(double height);
    UIInterfaceOrientation statusBarOrientation() const { return m_orientation; }
    void setStatusBarOrientation(UIInterfaceOrientation orientation, bool animated = false);
    bool isStatusBarHidden() const { return m_statusBarHidden; }
    void setStatusBarHidden(bool hidden);
    UIStatusBarStyle statusBarStyle() const { return m_statusBarStyle; }
    void setStatusBarStyle(UIStatusBarStyle style) { m_statusBarStyle = style; }

    const std::shared_ptr<UIApplicationDelegate>& delegate() const { return m_delegate; }
    void setDelegate(std::shared_ptr<UIApplicationDelegate> delegate) { m_delegate = std::move(delegate); }

    // Life cycle: tells the delegate, then posts the matching notification.
    bool finishLaunching();
    void becomeActive();
    void resignActive();
    void enterBackground();
    void enterForeground();
    void terminate();
    // The program ends as the tablet ends an application the user leaves: it resigns active,
    // enters the background and is told it will terminate; then the main loop runs until every
    // background task has ended or backgroundTime seconds have gone, and the tasks still running
    // are expired. Whether every task ended in time.
    bool quit(double backgroundTime);
    // The system is short of memory: caches that can be rebuilt should be let go.
    void receiveMemoryWarning();

    // Work that asks to go on while the application is in the background. The handler runs if
    // the time granted runs out (expireBackgroundTasks) before the task is ended. Thread-safe.
    UIBackgroundTaskIdentifier beginBackgroundTask(std::function<void()> expirationHandler = {});
    void endBackgroundTask(UIBackgroundTaskIdentifier identifier);
    std::size_t backgroundTaskCount() const;
    void expireBackgroundTasks();

    // Alerts come of two things. What the user did, or the fate of what they asked for, raises
    // an alert they need: it always shows (unless the same alert is up already, which says it
    // for both). What a peer sends unasked may raise an alert each time, and nobody may take
    // them away: while setRaisingUnaskedAlerts(true) holds, the alerts shown fold into one, the
    // first of them, which shows the latest one's title and message and how many came, so that
    // one tap takes them all away. The others are never shown themselves: their delegates hear
    // nothing. Returns what the setting was, for a caller that sets it for a while.
    bool setRaisingUnaskedAlerts(bool unasked);
    // The alert up that speaks for those nobody asked for, and how many it does; none, 0.
    std::shared_ptr<UIAlertView> unaskedAlert() const { return m_unaskedAlert; }
    std::size_t unaskedAlertCount() const { return m_unaskedCount; }
    // Alerts on screen, oldest first; the last one is in front.
    const std::vector<std::shared_ptr<UIAlertView>>& alerts() const { return m_alerts; }
    std::shared_ptr<UIAlertView> topAlert() const;

    // Puts the application back as it was at start: no windows, no alerts, a 20-point status bar
    // in landscape, no delegate, no running view animations.
    void resetForTesting();

private:
    friend class UIWindow;
    friend class UIAlertView;
    UIApplication() = default;
    void windowShown(std::shared_ptr<UIWindow> window);
    void windowHidden(UIWindow* window);
    void windowLevelChanged(UIWindow* window);
    // Whether an alert about to show joins those up: not when it is the same as one up (the log
    // says so) or when it folds into the alert of those nobody asked for.
    bool admitsAlert(const UIAlertView& alert);
    void foldUnasked(const UIAlertView& alert);
    void pushAlert(std::shared_ptr<UIAlertView> alert);
    void removeAlert(const UIAlertView* alert);
    CGRect statusBarFrameFor(UIInterfaceOrientation orientation, double height, bool hidden) const;
    void changeStatusBar(UIInterfaceOrientation orientation, double height, bool hidden);

    std::vector<std::shared_ptr<UIWindow>> m_windows;
    std::shared_ptr<UIWindow> m_keyWindow;
    std::vector<std::shared_ptr<UIAlertView>> m_alerts;
    bool m_raisingUnasked = false;
    std::shared_ptr<UIAlertView> m_unaskedAlert;
    std::size_t m_unaskedCount = 0;
    std::shared_ptr<UIApplicationDelegate> m_delegate;
    UIInterfaceOrientation m_orientation = UIInterfaceOrientation::LandscapeRight;
    double m_statusBarHeight = 20;
    bool m_statusBarHidden = false;
    UIStatusBarStyle m_statusBarStyle = UIStatusBarStyle::Default;
    mutable std::mutex m_tasksMutex;
    std::map<UIBackgroundTaskIdentifier, std::function<void()>> m_backgroundTasks;
    UIBackgroundTaskIdentifier m_nextTask = 1;
};
