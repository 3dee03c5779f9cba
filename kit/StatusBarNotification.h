#pragma once

#include "kit/StatusBarStyle.h"
#include "kit/StatusBarView.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/Notification.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/UIActivityIndicatorView.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UIWindow.h"

#include <functional>
#include <map>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The permanent status strip: a bar in an overlay window at status-bar level that never takes
// touches, carrying four icon-and-label pairs (connection, server address, operator, server date)
// under a centred status text. The three texts the application feeds are kept here and copied
// into their labels at every show, never before.
//
// The platform's class-level operations are the static functions; where a class operation and
// an instance operation share a name and arguments, only the instance one exists and callers go
// through sharedInstance().
class StatusBarNotification : public std::enable_shared_from_this<StatusBarNotification> {
public:
    using StylePreparation = std::function<StatusBarStylePtr(StatusBarStylePtr)>;

    static constexpr int OffLineLabelTag = 1001;
    static constexpr int ServerLabelTag = 1002;
    static constexpr int ClerkLabelTag = 1003;
    static constexpr int WifiLabelTag = 1004;

    // The one strip, made on first use (once, whichever thread asks first).
    static std::shared_ptr<StatusBarNotification> sharedInstance();
    // Drops the shared strip so that the next sharedInstance() builds a new one.
    static void resetSharedInstanceForTesting();
    ~StatusBarNotification();

    // Class operations on the shared strip.
    static StatusBarViewPtr showCustomStatus();
    static StatusBarViewPtr showWithStatus(std::optional<std::string> status);
    static StatusBarViewPtr showWithStatusDismissAfter(std::optional<std::string> status, TimeInterval seconds,
                                                       std::optional<std::string> styleName = std::nullopt);
    static void dismiss();
    static void dismissAfter(TimeInterval seconds);
    static void showProgress(double progress);

    // Texts copied into the labels tagged 1001, 1003 and 1004 at the next show; none empties a label.
    const std::optional<std::string>& offLineStr() const { return m_offLineStr; }
    void setOffLineStr(std::optional<std::string> text) { m_offLineStr = std::move(text); }
    const std::optional<std::string>& clerkStr() const { return m_clerkStr; }
    void setClerkStr(std::optional<std::string> text) { m_clerkStr = std::move(text); }
    const std::optional<std::string>& wifiStr() const { return m_wifiStr; }
    void setWifiStr(std::optional<std::string> text) { m_wifiStr = std::move(text); }

    // Showing: the style registered under the name, else the default style.
    StatusBarViewPtr showWithStatus(std::optional<std::string> status, std::optional<std::string> styleName);
    StatusBarViewPtr showWithStatusStyle(std::optional<std::string> status, const StatusBarStylePtr& style);

    void dismissAnimated(bool animated);
    void dismiss(NSTimer& timer);
    void setDismissTimerWithInterval(TimeInterval seconds);
    void setProgress(double progress);
    double progress() const { return m_progress; }
    void showActivityIndicator(bool show, UIActivityIndicatorViewStyle style);
    // True while a bar exists: from creation until a dismissal completes.
    bool isVisible() const { return m_topBar != nullptr; }

    // Style registry. A preparation that returns nothing leaves the registry as it was.
    std::string addStyleNamed(const std::string& identifier, const StylePreparation& prepare);
    void setDefaultStyle(const StylePreparation& prepare);
    const StatusBarStylePtr& defaultStyle() const { return m_defaultStyle; }
    StatusBarStylePtr styleNamed(const std::optional<std::string>& identifier) const;
    const std::map<std::string, StatusBarStylePtr>& userStyles() const { return m_userStyles; }
    StatusBarStylePtr activeStyle() const { return m_activeStyle.lock(); }

    // The pair views, built once with the strip.
    const UILabelPtr& offLineLabel() const { return m_offLineLabel; }
    const UILabelPtr& serverLabel() const { return m_serverLabel; }
    const UILabelPtr& clerkLabel() const { return m_clerkLabel; }
    const UILabelPtr& wifiLabel() const { return m_wifiLabel; }

    // Parts, each made on first use.
    const UIWindowPtr& overlayWindow();
    const StatusBarViewPtr& topBar();
    const UIViewPtr& progressView();
    bool hasOverlayWindow() const { return m_overlayWindow != nullptr; }

    void updateTopBarFrameWithStatusBarFrame(CGRect statusBarFrame);
    void updateWindowTransform();
    void willChangeStatusBarFrame(const Notification& notification);

    // The keyframes of the bounce, one translation offset per step, computed as the bounce uses them.
    static std::vector<float> bounceOffsets();

private:
    StatusBarNotification();
    void setupDefaultStyles();
    void buildPairs();
    void animateInWithBounceAnimation();
    StatusBarStylePtr styleInForce() const;

    UIWindowPtr m_overlayWindow;
    UIViewPtr m_progressView;
    StatusBarViewPtr m_topBar;
    std::optional<std::string> m_offLineStr;
    std::optional<std::string> m_clerkStr;
    std::optional<std::string> m_wifiStr;
    UIImageViewPtr m_offLineImageView, m_serverImageView, m_clerkImageView, m_wifiImageView;
    UILabelPtr m_offLineLabel, m_serverLabel, m_clerkLabel, m_wifiLabel;
    std::shared_ptr<NSTimer> m_dismissTimer;
    // Counts shows and dismissals, so that the end of a dismissal knows whether it is still due.
    std::uint64_t m_showing = 0;
    double m_progress = 0;
    std::weak_ptr<StatusBarStyle> m_activeStyle;
    StatusBarStylePtr m_defaultStyle;
    std::map<std::string, StatusBarStylePtr> m_userStyles;
    NotificationCenter::Token m_statusBarFrameObserver;
};
