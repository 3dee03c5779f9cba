// The frame path of the second engine's capture, on the session's capture thread.
#include "scan/ScanZXCapture.h"

#include "platform/capture/LuminanceImage.h"
#include "platform/foundation/RunLoop.h"

#include <ZXing/BarcodeFormat.h>

void ScanZXCapture::captureOutput(AVCaptureOutput& output, const CMSampleBufferPtr& sampleBuffer, const AVCaptureConnection*)
{
    if (!sampleBuffer || !sampleBuffer->image)
        return;
    std::weak_ptr<ScanZXCapture> weak = weak_from_this();
    // Taken before the settings, which their setters store before advancing it.
    const std::uint64_t generation = output.generation();
    const FrameSettings settings = frameSettings();
    const std::weak_ptr<ScanZXCaptureDelegate>& delegate = settings.delegate;
    if (!cameraIsReady.exchange(true)) {
        RunLoop::main().post([weak, delegate] {
            auto capture = weak.lock();
            auto receiver = delegate.lock();
            if (capture && receiver)
                receiver->ScanCaptureCameraIsReady(*capture);
        });
    }
    const bool hasDelegate = !delegate.expired();
    if (!settings.saveTo && !settings.luminance && !hasDelegate)
        return;
    UIImagePtr image = createRotatedImage(sampleBuffer->image, settings.rotation);
    if (!image)
        return;
    setLastScannedImage(image);
    if (settings.saveTo)
        image->writePNG(*settings.saveTo);
    const bool cropped = settings.scanRect.size.width > 0 && settings.scanRect.size.height > 0;
    LuminanceImage luminance = LuminanceImage::fromImage(*image, cropped ? &settings.scanRect : nullptr);
    if (settings.invert)
        luminance.invert();
    if (settings.luminance)
        showLuminance(luminance);
    if (!hasDelegate)
        return;
    const auto codes = CodeReader::read(luminance, ZXing::BarcodeFormat::Any);
    if (codes.empty())
        return;
    // The frame came from the capture's own output, which lives as long as the capture.
    RunLoop::main().post([weak, delegate, generation, code = codes.front(), image] {
        auto capture = weak.lock();
        auto receiver = delegate.lock();
        if (capture && receiver && capture->m_output->isCurrent(generation))
            receiver->captureResult(*capture, code, image);
    });
}

void ScanZXCapture::showLuminance(const LuminanceImage& luminance)
{
    auto grey = luminance.toImage();
    std::weak_ptr<ScanZXCapture> weak = weak_from_this();
    RunLoop::main().post([weak, grey] {
        auto capture = weak.lock();
        if (capture && capture->m_luminanceLayer)
            capture->m_luminanceLayer->setImage(grey);
    });
}
