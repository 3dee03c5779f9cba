#include "scan/ScanNative.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ViewRenderer.h"

std::shared_ptr<ScanNative> ScanNative::initWithPreView(const UIViewPtr& preView, ObjectTypes objectType,
                                                        const CGRect& cropRect, ScanResultBlock success)
{
    auto scan = std::make_shared<ScanNative>();
    scan->initParaWithPreView(preView, std::move(objectType), cropRect, std::move(success));
    return scan;
}

ScanNative::~ScanNative()
{
    if (m_session)
        m_session->stopRunning();
    if (m_preview)
        m_preview->removeFromSuperview();
}

void ScanNative::initParaWithPreView(const UIViewPtr& preView, ObjectTypes objectType, const CGRect& cropRect,
                                     ScanResultBlock success)
{
    m_arrayBarCodeType = std::move(objectType);
    m_blockScanResult = std::move(success);
    m_videoPreView = preView;
    m_device = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
    if (!m_device)
        return;
    m_input = AVCaptureDeviceInput::deviceInputWithDevice(m_device);
    if (!m_input)
        return;
    bNeedScanResult = true;
    m_output = AVCaptureMetadataOutput::create();
    m_output->setMetadataObjectsDelegate(weak_from_this());
    if (!CGRectEqualToRect(cropRect, CGRectZero))
        m_output->setRectOfInterest(cropRect);
    m_stillImageOutput = AVCaptureStillImageOutput::create();
    m_stillImageOutput->setOutputSettings({{AVVideoCodecKey, AVVideoCodecJPEG}});
    m_session = AVCaptureSession::create();
    m_session->setSessionPreset(AVCaptureSessionPresetHigh);
    if (m_session->canAddInput(m_input))
        m_session->addInput(m_input);
    if (m_session->canAddOutput(m_output))
        m_session->addOutput(m_output);
    if (m_session->canAddOutput(m_stillImageOutput))
        m_session->addOutput(m_stillImageOutput);
    m_output->setMetadataObjectTypes(m_arrayBarCodeType ? *m_arrayBarCodeType : defaultMetaDataObjectTypes());
    m_preview = AVCaptureVideoPreviewLayer::layerWithSession(m_session);
    m_preview->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
    m_preview->setOrientation(AVCaptureVideoOrientation::LandscapeRight);
    if (preView) {
        m_preview->setFrame(CGRectMake(0, 0, preView->frame().size.width, preView->frame().size.height));
        preView->insertSubviewAtIndex(m_preview, 0);
    }
    setContinuousFocus();
}

// The mode asked about is the one set: a device with plain auto focus but no continuous mode
// keeps its own.
void ScanNative::setContinuousFocus()
{
    if (!m_device->isFocusPointOfInterestSupported() ||
        !m_device->isFocusModeSupported(AVCaptureFocusMode::ContinuousAutoFocus))
        return;
    if (m_device->lockForConfiguration()) {
        m_device->setFocusMode(AVCaptureFocusMode::ContinuousAutoFocus);
        m_device->unlockForConfiguration();
    }
}

std::vector<AVMetadataObjectType> ScanNative::defaultMetaDataObjectTypes()
{
    return {AVMetadataObjectTypeQRCode,     AVMetadataObjectTypeUPCECode,          AVMetadataObjectTypeCode39Code,
            AVMetadataObjectTypeCode39Mod43Code, AVMetadataObjectTypeEAN13Code,   AVMetadataObjectTypeEAN8Code,
            AVMetadataObjectTypeCode93Code, AVMetadataObjectTypeCode128Code,      AVMetadataObjectTypePDF417Code,
            AVMetadataObjectTypeAztecCode,  AVMetadataObjectTypeInterleaved2of5Code, AVMetadataObjectTypeITF14Code,
            AVMetadataObjectTypeDataMatrixCode};
}

void ScanNative::startScan()
{
    if (!m_input || m_session->isRunning())
        return;
    m_session->startRunning();
    bNeedScanResult = true;
    if (auto view = m_videoPreView.lock())
        view->insertSubviewAtIndex(m_preview, 0);
}

void ScanNative::stopScan()
{
    if (!m_input || !m_session->isRunning())
        return;
    bNeedScanResult = false;
    ++m_generation;
    m_session->stopRunning();
}

void ScanNative::setTorch(bool torch)
{
    if (!m_input || !m_device->hasTorch())
        return;
    m_device->lockForConfiguration();
    m_device->setTorchMode(torch ? AVCaptureTorchMode::On : AVCaptureTorchMode::Off);
    m_device->unlockForConfiguration();
}

void ScanNative::changeTorch()
{
    if (!m_input || !m_device->hasTorch())
        return;
    const auto mode = m_device->torchMode();
    m_device->lockForConfiguration();
    if (mode == AVCaptureTorchMode::On)
        m_device->setTorchMode(AVCaptureTorchMode::Off);
    else if (mode == AVCaptureTorchMode::Off)
        m_device->setTorchMode(AVCaptureTorchMode::On);
    m_device->unlockForConfiguration();
}

void ScanNative::changeScanType(const std::vector<AVMetadataObjectType>& objectType)
{
    if (m_output)
        m_output->setMetadataObjectTypes(objectType);
}

void ScanNative::setScanRect(const CGRect& scanRect)
{
    if (m_output && m_preview)
        m_output->setRectOfInterest(m_preview->metadataOutputRectOfInterestForRect(scanRect));
}

AVCaptureConnectionPtr ScanNative::connectionWithMediaType(const AVMediaType& mediaType,
                                                           const std::vector<AVCaptureConnectionPtr>& connections)
{
    for (const auto& connection : connections) {
        for (const auto& type : connection->inputPortMediaTypes) {
            if (type == mediaType)
                return connection;
        }
    }
    return nullptr;
}

void ScanNative::captureOutput(AVCaptureOutput&, const std::vector<AVMetadataObjectPtr>& metadataObjects,
                               const AVCaptureConnection*)
{
    if (!bNeedScanResult)
        return;
    ScanResults batch;
    for (const auto& object : metadataObjects) {
        const auto* code = dynamic_cast<const AVMetadataMachineReadableCodeObject*>(object.get());
        if (!code || !code->stringValue())
            continue;
        NSLog("type:%s", code->type().c_str());
        batch.push_back(std::make_shared<ScanResult>(code->stringValue(), nullptr, code->type()));
    }
    if (batch.empty())
        return;
    bNeedScanResult = false;
    m_arrayResult = std::move(batch);
    if (isNeedCaputureImage) {
        captureImage();
    } else {
        stopScan();
        deliver();
    }
}

void ScanNative::captureImage()
{
    if (!m_stillImageOutput)
        return;
    auto connection = connectionWithMediaType(AVMediaTypeVideo, m_stillImageOutput->connections());
    std::weak_ptr<ScanNative> weak = weak_from_this();
    const std::uint64_t generation = m_generation;
    m_stillImageOutput->captureStillImageAsynchronouslyFromConnection(
        connection.get(), [weak, generation](CMSampleBufferPtr buffer, const std::string&) {
            if (auto scan = weak.lock())
                scan->stillImageArrived(generation, buffer);
        });
}

void ScanNative::stillImageArrived(std::uint64_t generation, const CMSampleBufferPtr& buffer)
{
    // Capture stopped (the screen went) while the picture was being taken: nobody waits for it.
    if (generation != m_generation)
        return;
    stopScan();
    if (buffer && buffer->image) {
        for (auto& result : m_arrayResult)
            result->imgScanned = buffer->image;
    }
    deliver();
}

void ScanNative::deliver()
{
    if (!m_blockScanResult)
        return;
    ScanResults copy;
    for (const auto& result : m_arrayResult)
        copy.push_back(std::make_shared<ScanResult>(*result));
    auto block = m_blockScanResult;
    block(copy);
}

void ScanNative::captureOutput2(const std::vector<AVMetadataObjectPtr>& metadataObjects)
{
    for (const auto& object : metadataObjects) {
        const auto* code = dynamic_cast<const AVMetadataMachineReadableCodeObject*>(object.get());
        if (!code)
            continue;
        NSLog("type:%s", code->type().c_str());
        NSLog("result:%s", code->stringValue().value_or("").c_str());
    }
}

UIImagePtr ScanNative::getImageFromLayer(UIView& layer)
{
    return ViewRenderer::render(layer);
}

void ScanNative::observeValueForKeyPath(const std::string&, const void* object)
{
    if (m_input && object == m_input->device().get())
        NSLog("flash change");
}
