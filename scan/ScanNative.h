#pragma once

#include "platform/capture/AVCaptureDeviceInput.h"
#include "platform/capture/AVCaptureMetadataOutput.h"
#include "platform/capture/AVCaptureSession.h"
#include "platform/capture/AVCaptureStillImageOutput.h"
#include "platform/capture/AVCaptureVideoPreviewLayer.h"
#include "scan/ScanResult.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The live scan on the capture services: the first batch holding a readable code wins, every
// code of it is reported in order, a still picture of the moment is attached when asked for,
// and capture stops before the results are handed over. At most one delivery per startScan:
// the wish for results is cleared as the batch is taken, before the still picture is asked for.
// A batch without a readable code changes nothing. Everything runs on the main run loop; the
// results block receives its own copy of the list.
//
// Without a camera (or without the user's leave) there is no input: start, stop and torch do
// nothing, and no thread or timer is ever made.
class ScanNative final : public AVCaptureMetadataOutputObjectsDelegate, public std::enable_shared_from_this<ScanNative> {
public:
    using ObjectTypes = std::optional<std::vector<AVMetadataObjectType>>;

    static std::shared_ptr<ScanNative> initWithPreView(const UIViewPtr& preView, ObjectTypes objectType,
                                                       const CGRect& cropRect, ScanResultBlock success);
    ScanNative() = default;
    ~ScanNative() override;

    void setNeedCaptureImage(bool needCaptureImage) { isNeedCaputureImage = needCaptureImage; }
    void startScan();
    void stopScan();
    void setTorch(bool torch);
    void changeTorch();
    void changeScanType(const std::vector<AVMetadataObjectType>& objectType);
    void setScanRect(const CGRect& scanRect);
    static std::vector<AVMetadataObjectType> defaultMetaDataObjectTypes();
    void captureImage();
    static AVCaptureConnectionPtr connectionWithMediaType(const AVMediaType& mediaType,
                                                          const std::vector<AVCaptureConnectionPtr>& connections);

    void captureOutput(AVCaptureOutput& output, const std::vector<AVMetadataObjectPtr>& metadataObjects,
                       const AVCaptureConnection* connection) override;
    // Logs every code of a batch; a diagnostic that nothing calls.
    void captureOutput2(const std::vector<AVMetadataObjectPtr>& metadataObjects);
    static UIImagePtr getImageFromLayer(UIView& layer);
    void observeValueForKeyPath(const std::string& keyPath, const void* object);

    const AVCaptureDevicePtr& device() const { return m_device; }
    const AVCaptureDeviceInputPtr& input() const { return m_input; }
    const AVCaptureMetadataOutputPtr& output() const { return m_output; }
    const AVCaptureSessionPtr& session() const { return m_session; }
    const AVCaptureVideoPreviewLayerPtr& preview() const { return m_preview; }
    const AVCaptureStillImageOutputPtr& stillImageOutput() const { return m_stillImageOutput; }
    const ScanResults& arrayResult() const { return m_arrayResult; }
    const ObjectTypes& arrayBarCodeType() const { return m_arrayBarCodeType; }
    UIViewPtr videoPreView() const { return m_videoPreView.lock(); }
    bool wantsScanResult() const { return bNeedScanResult; }

    bool isNeedCaputureImage = false;

private:
    void initParaWithPreView(const UIViewPtr& preView, ObjectTypes objectType, const CGRect& cropRect,
                             ScanResultBlock success);
    void setContinuousFocus();
    void stillImageArrived(std::uint64_t generation, const CMSampleBufferPtr& buffer);
    void deliver();

    bool bNeedScanResult = false;
    // Advances whenever capture stops, so a still picture asked for before cannot deliver after.
    std::uint64_t m_generation = 0;
    AVCaptureDevicePtr m_device;
    AVCaptureDeviceInputPtr m_input;
    AVCaptureMetadataOutputPtr m_output;
    AVCaptureSessionPtr m_session;
    AVCaptureVideoPreviewLayerPtr m_preview;
    AVCaptureStillImageOutputPtr m_stillImageOutput;
    ScanResults m_arrayResult;
    ObjectTypes m_arrayBarCodeType;
    std::weak_ptr<UIView> m_videoPreView;
    ScanResultBlock m_blockScanResult;
};

using ScanNativePtr = std::shared_ptr<ScanNative>;
