#pragma once

#include "platform/capture/AVCaptureSession.h"
#include "platform/ui/UIView.h"

#include <functional>
#include <memory>
#include <string>

inline const std::string AVLayerVideoGravityResizeAspect = "AVLayerVideoGravityResizeAspect";
inline const std::string AVLayerVideoGravityResizeAspectFill = "AVLayerVideoGravityResizeAspectFill";
inline const std::string AVLayerVideoGravityResize = "AVLayerVideoGravityResize";

enum class AVCaptureVideoOrientation : int { Portrait = 1, PortraitUpsideDown = 2, LandscapeRight = 3, LandscapeLeft = 4 };

// The live picture of a session: draws the session's latest frame by its gravity (aspect fill
// crops the frame to cover the bounds), and is redrawn as frames arrive. Placed in a view's tree
// as the lowest subview, where the platform puts the preview layer.
class AVCaptureVideoPreviewLayer final : public UIView {
public:
    static std::shared_ptr<AVCaptureVideoPreviewLayer> layerWithSession(AVCaptureSessionPtr session);
    explicit AVCaptureVideoPreviewLayer(AVCaptureSessionPtr session);

    const AVCaptureSessionPtr& session() const { return m_session; }
    const std::string& videoGravity() const { return m_gravity; }
    void setVideoGravity(std::string gravity) { m_gravity = std::move(gravity); }
    AVCaptureVideoOrientation orientation() const { return m_orientation; }
    void setOrientation(AVCaptureVideoOrientation orientation) { m_orientation = orientation; }

    // Where the frame of the given size lands within the bounds under the gravity.
    CGRect frameRectForSize(CGSize frameSize) const;
    // A rectangle of the layer as the metadata output's rectangle of interest (normalised to the
    // frame, lying on its side), for the last frame seen or, before any, a 1920 × 1080 one.
    CGRect metadataOutputRectOfInterestForRect(const CGRect& rect) const;
    void drawRect(const CGRect& rect) override;

    // Told "onOrderIn" when the layer comes on screen (joins a window) and "onOrderOut" when it
    // leaves, as the layer's action for those keys.
    using OrderAction = std::function<void(const std::string& key)>;
    void setOrderAction(OrderAction action) { m_orderAction = std::move(action); }
    void didMoveToWindow() override;

private:
    AVCaptureSessionPtr m_session;
    std::string m_gravity = AVLayerVideoGravityResizeAspect;
    AVCaptureVideoOrientation m_orientation = AVCaptureVideoOrientation::LandscapeRight;
    OrderAction m_orderAction;
};

using AVCaptureVideoPreviewLayerPtr = std::shared_ptr<AVCaptureVideoPreviewLayer>;
