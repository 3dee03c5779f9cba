#pragma once

#include "platform/capture/AVCaptureMetadataOutputObjectsDelegate.h"
#include "platform/capture/AVCaptureOutput.h"
#include "platform/capture/LuminanceImage.h"

#include <memory>
#include <mutex>
#include <vector>

// Recognises codes in every frame and reports each frame that held any as one batch, in the
// reader's order, on the main run loop. The delegate is held weakly: a batch for a delegate that
// is gone is dropped, and so is one whose generation has passed (the session stopped, or the
// types or the rectangle changed, after its frame was read).
class AVCaptureMetadataOutput final : public AVCaptureOutput {
public:
    static std::shared_ptr<AVCaptureMetadataOutput> create() { return std::make_shared<AVCaptureMetadataOutput>(); }

    void setMetadataObjectsDelegate(std::weak_ptr<AVCaptureMetadataOutputObjectsDelegate> delegate);
    // Types the output cannot recognise are left out.
    void setMetadataObjectTypes(const std::vector<AVMetadataObjectType>& types);
    std::vector<AVMetadataObjectType> metadataObjectTypes() const;

    // The part of the frame searched, normalised with the frame lying on its side as the camera
    // sees it: x and width run along the frame's height, y and height along its width. Clamped to
    // the unit square; the default is all of it.
    CGRect rectOfInterest() const;
    void setRectOfInterest(const CGRect& rect);
    // A rectangle as the output keeps it: within the unit square, no side negative, nothing NaN.
    static CGRect clampedToUnitSquare(const CGRect& rect);
    // The frame's pixels that the rectangle of interest covers.
    static CGRect cropInFrame(const CGRect& rectOfInterest, double frameWidth, double frameHeight);

    void captureFrame(const UIImagePtr& frame) override;
    // The batch a frame gives, without reporting it (what captureFrame posts).
    std::vector<AVMetadataObjectPtr> recognise(const UIImagePtr& frame) const;

private:
    mutable std::mutex m_mutex;
    std::weak_ptr<AVCaptureMetadataOutputObjectsDelegate> m_delegate;
    std::vector<AVMetadataObjectType> m_types;
    CGRect m_rectOfInterest = CGRectMake(0, 0, 1, 1);
    // The camera shows its pictures over and over: the brightness of the last one is kept, so a
    // picture seen again is not converted again. recognise() is public and may run off the
    // capture thread too, so the kept picture has a lock of its own.
    struct LastFrame {
        std::weak_ptr<const UIImage> frame;
        CGRect crop;
        std::shared_ptr<const LuminanceImage> luminance;
    };
    mutable std::mutex m_lastMutex;
    mutable LastFrame m_last;
    std::shared_ptr<const LuminanceImage> luminanceOf(const UIImagePtr& frame, const CGRect& crop) const;
};

using AVCaptureMetadataOutputPtr = std::shared_ptr<AVCaptureMetadataOutput>;
