#pragma once

#include "platform/ui/UIActivityIndicatorView.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UILabel.h"
#include "scan/ScanLineAnimation.h"
#include "scan/ScanNetAnimation.h"
#include "scan/ScanViewStyle.h"

#include <memory>
#include <string>

// What the clerk sees over the camera picture: the dimmed surround of the scan frame, its
// outline and corner marks, the animation inside it, and the readying spinner before capture
// starts. The frame is worked out anew by every drawing pass.
class ScanView : public UIView {
public:
    static std::shared_ptr<ScanView> initWithFrame(const CGRect& frame, ScanViewStylePtr style);
    ScanView(const CGRect& frame, ScanViewStylePtr style);

    void drawRect(const CGRect& rect) override;
    void drawScanRect();
    void startDeviceReadyingWithText(const std::string& text);
    void stopDeviceReadying();
    void startScanAnimation();
    void stopScanAnimation();
    // A line of text in the frame in place of the animation (there is no camera to watch);
    // an empty text takes it away.
    void showNotice(const std::string& text);

    // The scan frame as the metadata output's rectangle of interest, clamped to the unit square;
    // empty for a view without area.
    static CGRect getScanRectWithPreView(const UIView& view, const ScanViewStyle& style);

    const ScanViewStylePtr& viewStyle() const { return m_viewStyle; }
    const CGRect& scanRetangleRect() const { return m_scanRetangleRect; }
    const ScanLineAnimationPtr& scanLineAnimation() const { return m_scanLineAnimation; }
    const ScanNetAnimationPtr& scanNetAnimation() const { return m_scanNetAnimation; }
    const UIImageViewPtr& scanLineStill() const { return m_scanLineStill; }
    const UIActivityIndicatorViewPtr& activityView() const { return m_activityView; }
    const UILabelPtr& labelReadying() const { return m_labelReadying; }
    const UILabelPtr& labelNotice() const { return m_labelNotice; }

private:
    void drawCornerMarks(class CGContext& context, double L, double T, double R, double B);

    ScanViewStylePtr m_viewStyle;
    CGRect m_scanRetangleRect;
    ScanLineAnimationPtr m_scanLineAnimation;
    ScanNetAnimationPtr m_scanNetAnimation;
    UIImageViewPtr m_scanLineStill;
    UIActivityIndicatorViewPtr m_activityView;
    UILabelPtr m_labelReadying;
    UILabelPtr m_labelNotice;
};

using ScanViewPtr = std::shared_ptr<ScanView>;
