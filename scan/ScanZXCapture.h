#pragma once

#include "platform/capture/AVCaptureDeviceInput.h"
#include "platform/capture/AVCaptureSession.h"
#include "platform/capture/AVCaptureVideoDataOutput.h"
#include "platform/capture/AVCaptureVideoPreviewLayer.h"
#include "platform/graphics/CGAffineTransform.h"
#include "platform/ui/UIImageView.h"
#include "scan/ScanZXCaptureDelegate.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

inline const std::string kCAOnOrderIn = "onOrderIn";
inline const std::string kCAOnOrderOut = "onOrderOut";

// The second engine's camera: every frame, on the session's capture thread, is turned by
// `rotation`, cropped to `scanRect`, and read with zxing-cpp; results, the camera-ready notice
// and the grey picture go to the main run loop. A result reaches the delegate only while the
// capture runs with the settings its frame was read with: one read before a stop, or before a
// change of delegate, rotation, rectangle or inversion, is dropped (the capture starts as soon as
// it has a delegate, before its owner has set the rectangle). Nothing of it runs after it is
// destroyed: the session it owns stops and joins its thread.
class ScanZXCapture final : public AVCaptureVideoDataOutputSampleBufferDelegate,
                            public std::enable_shared_from_this<ScanZXCapture> {
public:
    static std::shared_ptr<ScanZXCapture> create() { return std::make_shared<ScanZXCapture>(); }
    ScanZXCapture() = default;
    ~ScanZXCapture() override;

    static constexpr std::int32_t front() { return 0; }
    static constexpr std::int32_t back() { return 1; }

    void start();
    void stop();
    void hard_stop();
    void order_skip();
    void setCamera(std::int32_t camera);
    void setDelegate(std::weak_ptr<ScanZXCaptureDelegate> delegate);
    void setFocusMode(AVCaptureFocusMode focusMode);
    void setTorch(bool torch);
    void changeTorch();
    void setMirror(bool mirror);
    void setTransform(const CGAffineTransform& transform);
    void setBinary(bool on);
    void setLuminance(bool on);
    const UIImageViewPtr& binary() const { return m_binaryLayer; }
    const UIImageViewPtr& luminance() const { return m_luminanceLayer; }
    bool hasFront() const;
    bool hasBack() const;
    bool hasTorch();
    const AVCaptureVideoPreviewLayerPtr& layer();
    const AVCaptureVideoDataOutputPtr& output();
    const AVCaptureSessionPtr& session();
    AVCaptureDevicePtr device();
    void replaceInput();
    void startStop();
    // The preview's order-in and order-out events.
    void runActionForKey(const std::string& key);
    static UIImagePtr createRotatedImage(const UIImagePtr& image, double degrees);

    void captureOutput(AVCaptureOutput& output, const CMSampleBufferPtr& sampleBuffer,
                       const AVCaptureConnection* connection) override;

    UIImagePtr lastScannedImage() const;
    void setLastScannedImage(UIImagePtr image);
    void setCaptureToFilename(std::filesystem::path path);
    void setRotation(double degrees);
    double rotation() const;
    void setScanRect(const CGRect& rect);
    void setInvert(bool invert);

    bool running = false;
    bool hardStop = false;
    bool onScreen = false;
    std::atomic<bool> cameraIsReady {false};
    bool mirror = false;
    bool torch = false;
    std::int32_t camera = 0;
    std::int32_t captureDeviceIndex = -1;
    std::int32_t orderInSkip = 0;
    std::int32_t orderOutSkip = 0;
    AVCaptureFocusMode focusMode = AVCaptureFocusMode::ContinuousAutoFocus;
    std::string sessionPreset = AVCaptureSessionPresetHigh;
    CGAffineTransform transform = CGAffineTransformIdentity;

private:
    struct FrameSettings {
        std::weak_ptr<ScanZXCaptureDelegate> delegate;
        double rotation = 0;
        CGRect scanRect;
        bool invert = false;
        bool luminance = false;
        std::optional<std::filesystem::path> saveTo;
    };
    FrameSettings frameSettings();
    // A setting a frame is read with has changed: what the output's frames gave before is stale.
    void settingChanged();
    void showLuminance(const class LuminanceImage& image);

    AVCaptureDevicePtr m_captureDevice;
    AVCaptureDeviceInputPtr m_input;
    AVCaptureVideoPreviewLayerPtr m_layer;
    AVCaptureVideoDataOutputPtr m_output;
    AVCaptureSessionPtr m_session;
    UIImageViewPtr m_binaryLayer;
    UIImageViewPtr m_luminanceLayer;

    // Read on the capture thread.
    mutable std::mutex m_mutex;
    std::weak_ptr<ScanZXCaptureDelegate> m_delegate;
    UIImagePtr m_lastScannedImage;
    std::optional<std::filesystem::path> m_captureToFilename;
    double m_rotation = 0;
    CGRect m_scanRect;
    bool m_invert = false;
    std::atomic<bool> m_wantsLuminance {false};
};

using ScanZXCapturePtr = std::shared_ptr<ScanZXCapture>;
