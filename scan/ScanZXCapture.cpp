#include "scan/ScanZXCapture.h"

#include "platform/capture/LuminanceImage.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/PixelLimits.h"

#include <cmath>
#include <numbers>

ScanZXCapture::~ScanZXCapture()
{
    if (m_session) {
        m_session->stopRunning();
        for (const auto& input : m_session->inputs())
            m_session->removeInput(input);
        for (const auto& output : m_session->outputs())
            m_session->removeOutput(output);
    }
    if (m_layer)
        m_layer->removeFromSuperview();
}

const AVCaptureSessionPtr& ScanZXCapture::session()
{
    if (!m_session) {
        m_session = AVCaptureSession::create();
        replaceInput();
    }
    return m_session;
}

const AVCaptureVideoDataOutputPtr& ScanZXCapture::output()
{
    if (!m_output) {
        m_output = AVCaptureVideoDataOutput::create();
        m_output->setVideoSettings({{kCVPixelBufferPixelFormatTypeKey, kCVPixelFormatType_32BGRA}});
        m_output->setAlwaysDiscardsLateVideoFrames(true);
        m_output->setSampleBufferDelegate(weak_from_this());
        session()->addOutput(m_output);
    }
    return m_output;
}

const AVCaptureVideoPreviewLayerPtr& ScanZXCapture::layer()
{
    if (!m_layer) {
        m_layer = AVCaptureVideoPreviewLayer::layerWithSession(session());
        m_layer->setTransform(transform);
        m_layer->setVideoGravity(AVLayerVideoGravityResizeAspect);
        m_layer->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
        std::weak_ptr<ScanZXCapture> weak = weak_from_this();
        m_layer->setOrderAction([weak](const std::string& key) {
            if (auto capture = weak.lock())
                capture->runActionForKey(key);
        });
    }
    return m_layer;
}

AVCaptureDevicePtr ScanZXCapture::device()
{
    if (m_captureDevice)
        return m_captureDevice;
    const auto devices = AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo);
    if (!devices.empty()) {
        if (captureDeviceIndex == -1) {
            const auto wanted = camera == front() ? AVCaptureDevicePosition::Front : AVCaptureDevicePosition::Back;
            for (std::size_t i = 0; i < devices.size(); ++i) {
                if (devices[i]->position() == wanted) {
                    captureDeviceIndex = static_cast<std::int32_t>(i);
                    break;
                }
            }
        }
        if (captureDeviceIndex >= 0 && static_cast<std::size_t>(captureDeviceIndex) < devices.size())
            m_captureDevice = devices[captureDeviceIndex];
    }
    if (!m_captureDevice)
        m_captureDevice = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
    return m_captureDevice;
}

void ScanZXCapture::replaceInput()
{
    auto& pipeline = *session();
    pipeline.beginConfiguration();
    if (m_input) {
        pipeline.removeInput(m_input);
        m_input.reset();
    }
    if (auto chosen = device()) {
        m_input = AVCaptureDeviceInput::deviceInputWithDevice(chosen);
        setFocusMode(focusMode);
    }
    if (m_input) {
        pipeline.setSessionPreset(sessionPreset);
        pipeline.addInput(m_input);
    }
    pipeline.commitConfiguration();
}

void ScanZXCapture::setCamera(std::int32_t value)
{
    if (value == camera)
        return;
    camera = value;
    captureDeviceIndex = -1;
    m_captureDevice.reset();
    replaceInput();
}

void ScanZXCapture::setFocusMode(AVCaptureFocusMode mode)
{
    const auto inputDevice = m_input ? m_input->device() : nullptr;
    if (!inputDevice || !inputDevice->isFocusModeSupported(mode) || inputDevice->focusMode() == mode)
        return;
    focusMode = mode;
    if (inputDevice->lockForConfiguration()) {
        inputDevice->setFocusMode(mode);
        inputDevice->unlockForConfiguration();
    }
}

void ScanZXCapture::setTorch(bool on)
{
    torch = on;
    const auto inputDevice = m_input ? m_input->device() : nullptr;
    if (!inputDevice || !inputDevice->hasTorch())
        return;
    inputDevice->lockForConfiguration();
    inputDevice->setTorchMode(on ? AVCaptureTorchMode::On : AVCaptureTorchMode::Off);
    inputDevice->unlockForConfiguration();
}

void ScanZXCapture::changeTorch()
{
    const auto inputDevice = m_input ? m_input->device() : nullptr;
    if (!inputDevice || !inputDevice->hasTorch())
        return;
    const auto mode = inputDevice->torchMode();
    if (mode != AVCaptureTorchMode::Auto)
        setTorch(mode == AVCaptureTorchMode::Off);
}

void ScanZXCapture::setMirror(bool value)
{
    if (value == mirror)
        return;
    mirror = value;
    CGAffineTransform t = transform;
    t.a = -t.a;
    setTransform(t);
}

void ScanZXCapture::setTransform(const CGAffineTransform& value)
{
    transform = value;
    if (m_layer)
        m_layer->setTransform(value);
}

void ScanZXCapture::setBinary(bool on)
{
    if (on && !m_binaryLayer)
        m_binaryLayer = UIImageView::create();
    else if (!on)
        m_binaryLayer.reset();
}

void ScanZXCapture::setLuminance(bool on)
{
    if (on && !m_luminanceLayer)
        m_luminanceLayer = UIImageView::create();
    else if (!on)
        m_luminanceLayer.reset();
    m_wantsLuminance = on;
}

bool ScanZXCapture::hasFront() const
{
    return AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo).size() > 1;
}

bool ScanZXCapture::hasBack() const
{
    return !AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo).empty();
}

bool ScanZXCapture::hasTorch()
{
    auto chosen = device();
    return chosen && chosen->hasTorch();
}

void ScanZXCapture::setDelegate(std::weak_ptr<ScanZXCaptureDelegate> delegate)
{
    const bool present = !delegate.expired();
    {
        std::lock_guard lock(m_mutex);
        m_delegate = std::move(delegate);
        settingChanged();
    }
    if (present)
        hardStop = false;
    startStop();
}

void ScanZXCapture::start()
{
    if (running || hardStop)
        return;
    bool hasDelegate;
    {
        std::lock_guard lock(m_mutex);
        hasDelegate = !m_delegate.expired();
    }
    if (hasDelegate || m_luminanceLayer || m_binaryLayer)
        output();
    if (!session()->isRunning())
        session()->startRunning();
    running = true;
}

void ScanZXCapture::stop()
{
    if (!running)
        return;
    if (session()->isRunning())
        session()->stopRunning();
    running = false;
}

void ScanZXCapture::hard_stop()
{
    hardStop = true;
    if (running)
        stop();
}

void ScanZXCapture::order_skip()
{
    orderInSkip = 1;
    orderOutSkip = 1;
}

void ScanZXCapture::startStop()
{
    bool hasDelegate;
    {
        std::lock_guard lock(m_mutex);
        hasDelegate = !m_delegate.expired();
    }
    if (!running && (hasDelegate || onScreen))
        start();
    if (running && !hasDelegate && !onScreen)
        stop();
}

void ScanZXCapture::runActionForKey(const std::string& key)
{
    if (key == kCAOnOrderIn) {
        if (orderInSkip > 0) {
            --orderInSkip;
            return;
        }
        onScreen = true;
        startStop();
    } else if (key == kCAOnOrderOut) {
        if (orderOutSkip > 0) {
            --orderOutSkip;
            return;
        }
        onScreen = false;
        startStop();
    }
}

UIImagePtr ScanZXCapture::lastScannedImage() const
{
    std::lock_guard lock(m_mutex);
    return m_lastScannedImage;
}

void ScanZXCapture::setLastScannedImage(UIImagePtr image)
{
    std::lock_guard lock(m_mutex);
    m_lastScannedImage = std::move(image);
}

void ScanZXCapture::setCaptureToFilename(std::filesystem::path path)
{
    std::lock_guard lock(m_mutex);
    m_captureToFilename = std::move(path);
}

void ScanZXCapture::setScanRect(const CGRect& rect)
{
    std::lock_guard lock(m_mutex);
    m_scanRect = rect;
    settingChanged();
}

void ScanZXCapture::setRotation(double degrees)
{
    std::lock_guard lock(m_mutex);
    m_rotation = degrees;
    settingChanged();
}

double ScanZXCapture::rotation() const
{
    std::lock_guard lock(m_mutex);
    return m_rotation;
}

void ScanZXCapture::setInvert(bool invert)
{
    std::lock_guard lock(m_mutex);
    m_invert = invert;
    settingChanged();
}

ScanZXCapture::FrameSettings ScanZXCapture::frameSettings()
{
    std::lock_guard lock(m_mutex);
    FrameSettings settings {m_delegate, m_rotation, m_scanRect, m_invert, m_wantsLuminance.load(),
                            m_captureToFilename};
    m_captureToFilename.reset();
    return settings;
}

// Called after the setting is stored: a frame that read the settings before took the generation
// before too. The capture thread never holds the output's lock and this one together.
void ScanZXCapture::settingChanged()
{
    if (m_output)
        m_output->advanceGeneration();
}

// A turn by whole or any degrees, clockwise for positive ones, onto a canvas the size of the
// turned picture's bounding box; pixels are taken as they are, without smoothing.
UIImagePtr ScanZXCapture::createRotatedImage(const UIImagePtr& image, double degrees)
{
    if (!image || degrees == 0)
        return image;
    if (!std::isfinite(degrees))
        return nullptr;
    const double angle = degrees * std::numbers::pi / 180;
    const double w = image->pixelWidth(), h = image->pixelHeight();
    const double c = std::abs(std::cos(angle)), s = std::abs(std::sin(angle));
    const double bw = std::round(w * c + h * s), bh = std::round(w * s + h * c);
    if (!PixelLimits::allows(bw, bh))
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(bw), static_cast<int>(bh));
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_translate(cr, bw / 2, bh / 2);
    cairo_rotate(cr, angle);
    cairo_set_source_surface(cr, image->surface(), -w / 2, -h / 2);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_destroy(cr);
    return UIImage::imageWithSurface(surface, 1);
}
