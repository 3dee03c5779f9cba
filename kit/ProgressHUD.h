#pragma once

#include "kit/ProgressHUDDelegate.h"
#include "platform/foundation/NSTimer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/UIFont.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UIView.h"
#include "platform/ui/UIWindow.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

// The busy indicator laid over a screen while it waits for the venue: a translucent dark rounded
// box in the middle of the covered view with a spinner (or a round gauge, or a view of the
// caller's), a bold white label and an optional multi-line details label.
//
// It covers the whole view it is made for and stays invisible (alpha 0) until shown. Grace time
// delays showing, minimum show time delays hiding; every show starts a new cycle that drops the
// timers and delayed hides of the one before, so the delegate hears of each hide once.
//
// It lives on the thread that made it (the main thread). setMode, setLabelText,
// setDetailsLabelText and setProgress may be called from any thread: from another one their work
// is posted to the main run loop, in the order of the calls.
class ProgressHUD : public UIView {
public:
    // Any other mode behaves as Indeterminate.
    enum Mode : int { Indeterminate = 0, Determinate = 1, CustomView = 2 };
    enum AnimationType : int { Fade = 0, Zoom = 1 };

    // Made over the view, added as its last subview and shown.
    static std::shared_ptr<ProgressHUD> showHUDAddedTo(const UIViewPtr& view, bool animated);
    // Hides the view's last indicator and lets it leave its superview when hidden. False, and
    // nothing happens, when the view holds none.
    static bool hideHUDForView(const UIViewPtr& view, bool animated);

    // Covers the view's bounds and follows the device's turns; the caller adds it to the view.
    // Throws ProgressHUDViewIsNillException for a null view.
    static std::shared_ptr<ProgressHUD> createWithView(const UIViewPtr& view);
    static std::shared_ptr<ProgressHUD> createWithWindow(const UIWindowPtr& window);
    static std::shared_ptr<ProgressHUD> create(const CGRect& frame);
    explicit ProgressHUD(const CGRect& frame);
    ~ProgressHUD() override;

    void show(bool animated);
    void hide(bool animated);
    void hideAfterDelay(bool animated, TimeInterval delay);
    // Runs the task on a thread of its own with the indicator up, and hides it when the task ends.
    // The end of the process waits for the task within a bound (DetachedThreads). Once that end
    // has begun, or with no thread to be had, the task is not run and the indicator goes.
    void showWhileExecuting(std::function<void()> task, bool animated);

    int mode() const { return m_mode; }
    void setMode(int mode);
    const std::optional<std::string>& labelText() const { return m_labelText; }
    void setLabelText(std::optional<std::string> text);
    const std::optional<std::string>& detailsLabelText() const { return m_detailsLabelText; }
    void setDetailsLabelText(std::optional<std::string> text);
    float progress() const { return m_progress; }
    void setProgress(float progress);

    // Plain values: they take effect at the next layout, drawing or show.
    int animationType() const { return m_animationType; }
    void setAnimationType(int type) { m_animationType = type; }
    float xOffset() const { return m_xOffset; }
    void setXOffset(float offset) { m_xOffset = offset; }
    float yOffset() const { return m_yOffset; }
    void setYOffset(float offset) { m_yOffset = offset; }
    float margin() const { return m_margin; }
    void setMargin(float margin) { m_margin = margin; }
    CGSize minSize() const { return m_minSize; }
    void setMinSize(CGSize size) { m_minSize = size; }
    bool isSquare() const { return m_square; }
    void setSquare(bool square) { m_square = square; }
    bool dimBackground() const { return m_dimBackground; }
    void setDimBackground(bool dim) { m_dimBackground = dim; }
    float opacity() const { return m_opacity; }
    void setOpacity(float opacity) { m_opacity = opacity; }
    TimeInterval graceTime() const { return m_graceTime; }
    void setGraceTime(TimeInterval seconds) { m_graceTime = seconds; }
    TimeInterval minShowTime() const { return m_minShowTime; }
    void setMinShowTime(TimeInterval seconds) { m_minShowTime = seconds; }
    bool taskInProgress() const { return m_taskInProgress; }
    void setTaskInProgress(bool inProgress) { m_taskInProgress = inProgress; }
    bool removeFromSuperViewOnHide() const { return m_removeFromSuperViewOnHide; }
    void setRemoveFromSuperViewOnHide(bool remove) { m_removeFromSuperViewOnHide = remove; }
    const UIFontPtr& labelFont() const { return m_labelFont; }
    void setLabelFont(UIFontPtr font) { m_labelFont = font ? std::move(font) : UIFont::boldSystemFontOfSize(16); }
    const UIFontPtr& detailsLabelFont() const { return m_detailsLabelFont; }
    void setDetailsLabelFont(UIFontPtr font)
    {
        m_detailsLabelFont = font ? std::move(font) : UIFont::boldSystemFontOfSize(12);
    }
    const UIViewPtr& customView() const { return m_customView; }
    void setCustomView(UIViewPtr view) { m_customView = std::move(view); }
    std::shared_ptr<ProgressHUDDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<ProgressHUDDelegate> delegate) { m_delegate = std::move(delegate); }

    bool useAnimation() const { return m_useAnimation; }
    bool isFinished() const { return m_isFinished; }
    // Size of the box as the last layout left it.
    float width() const { return m_width; }
    float height() const { return m_height; }
    const std::optional<TimeInterval>& showStarted() const { return m_showStarted; }
    const UIViewPtr& indicator() const { return m_indicator; }
    const UILabelPtr& label() const { return m_label; }
    const UILabelPtr& detailsLabel() const { return m_detailsLabel; }
    const CGAffineTransform& rotationTransform() const { return m_rotationTransform; }
    bool observesDeviceOrientation() const { return static_cast<bool>(m_orientationObserver); }

    // Turns with the status bar's orientation; used for indicators over a whole window.
    void setTransformForCurrentOrientation(bool animated);
    void deviceOrientationDidChange();

    void layoutSubviews() override;
    void drawRect(const CGRect& rect) override;

protected:
    void didMoveToSuperview() override;

private:
    bool onOwnerThread() const { return std::this_thread::get_id() == m_ownerThread; }
    // Runs now on the owner thread, otherwise later on the main run loop while the HUD lives.
    void onMain(std::function<void(ProgressHUD&)> work);
    void applyMode(int mode);
    void updateIndicators();
    void observeDeviceOrientation();

    void showUsingAnimation(bool animated);
    void hideUsingAnimation(bool animated);
    void done();
    void cancelPendingTimers();
    void cleanUp();
    void layoutLabels(const CGRect& frame, CGRect& indicatorFrame);

    int m_mode = Indeterminate;
    int m_animationType = Fade;
    bool m_useAnimation = false;
    float m_xOffset = 0;
    float m_yOffset = 0;
    float m_width = 0;
    float m_height = 0;
    CGSize m_minSize = CGSizeZero;
    bool m_square = false;
    float m_margin = 20;
    bool m_dimBackground = false;
    bool m_taskInProgress = false;
    TimeInterval m_graceTime = 0;
    TimeInterval m_minShowTime = 0;
    std::shared_ptr<NSTimer> m_graceTimer;
    std::shared_ptr<NSTimer> m_minShowTimer;
    std::optional<TimeInterval> m_showStarted;
    UIViewPtr m_indicator;
    UILabelPtr m_label;
    UILabelPtr m_detailsLabel;
    float m_progress = 0;
    std::weak_ptr<ProgressHUDDelegate> m_delegate;
    std::optional<std::string> m_labelText;
    std::optional<std::string> m_detailsLabelText;
    float m_opacity = 0.8f;
    UIFontPtr m_labelFont = UIFont::boldSystemFontOfSize(16);
    UIFontPtr m_detailsLabelFont = UIFont::boldSystemFontOfSize(12);
    bool m_isFinished = false;
    bool m_removeFromSuperViewOnHide = false;
    UIViewPtr m_customView;
    CGAffineTransform m_rotationTransform = CGAffineTransformIdentity;
    std::function<void()> m_task;

    // Each show begins a cycle; a fade-out finishing for an older cycle is ignored, and a cycle is
    // reported to the delegate at most once.
    std::uint64_t m_cycle = 0;
    bool m_cycleDone = false;
    NotificationCenter::Token m_orientationObserver;
    const std::thread::id m_ownerThread = std::this_thread::get_id();
};

using ProgressHUDPtr = std::shared_ptr<ProgressHUD>;
