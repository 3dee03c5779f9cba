#include "scan/ScanNative.h"
#include "scan/ScanWrapper.h"

#include "ScanTestCamera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {
class ScanCaptureTest : public ::testing::Test {
protected:
    void TearDown() override { RunLoop::main().reset(); }

    ScanNativePtr makeScan(bool stillPicture = true)
    {
        auto scan = ScanNative::initWithPreView(preview, std::nullopt, CGRectZero, [this](const ScanResults& results) {
            deliveries.push_back(results);
            runningAtDelivery = deliveries.size() == 1 && current && current->session()->isRunning();
        });
        scan->setNeedCaptureImage(stillPicture);
        current = scan.get();
        return scan;
    }

    UIViewPtr preview = UIView::create(CGRectMake(0, 0, 1024, 768));
    std::vector<ScanResults> deliveries;
    ScanNative* current = nullptr;
    bool runningAtDelivery = true;
};
} // namespace

TEST_F(ScanCaptureTest, FirstFrameWithCodesIsDeliveredOnceAfterCaptureStoppedWithThePicture)
{
    auto blank = codeFrame({640, 480}, {});
    auto two = codeFrame({640, 480}, {{"第一", ZXing::BarcodeFormat::QRCode, {40, 40}}, {"B-2", ZXing::BarcodeFormat::QRCode, {360, 200}}});
    ScanTestCamera camera({blank, blank, two});
    auto scan = makeScan();
    ASSERT_TRUE(scan->input());
    EXPECT_EQ(preview->subviews().front(), scan->preview());
    scan->startScan();
    scan->startScan();
    ASSERT_TRUE(runMainUntil([&] { return !deliveries.empty(); }));
    EXPECT_FALSE(runningAtDelivery);
    std::vector<std::string> texts;
    for (const auto& result : deliveries[0]) {
        texts.push_back(result->strScanned.value_or(""));
        EXPECT_EQ(result->strBarCodeType, AVMetadataObjectTypeQRCode);
        EXPECT_EQ(result->imgScanned, two);
    }
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string> {"B-2", "第一"}));
    // The camera keeps showing the codes, but capture is over until the next start.
    EXPECT_FALSE(runMainUntil([&] { return deliveries.size() > 1; }, 0.1));
    scan->startScan();
    ASSERT_TRUE(runMainUntil([&] { return deliveries.size() == 2; }));
}

TEST_F(ScanCaptureTest, ABatchWaitingOnTheMainLoopIsDroppedByARestartOrAChangeOfWhatIsLookedFor)
{
    const std::function<void(ScanNative&, ScanTestCamera&)> changes[] = {
        [](ScanNative& scan, ScanTestCamera& camera) { scan.stopScan(); camera.hold(); scan.startScan(); },
        [](ScanNative& scan, ScanTestCamera&) { scan.output()->setRectOfInterest(CGRectMake(0, 0, 0, 0)); },
        [](ScanNative& scan, ScanTestCamera&) { scan.changeScanType({AVMetadataObjectTypeEAN8Code}); },
    };
    for (const auto& change : changes) {
        SCOPED_TRACE("change " + std::to_string(&change - changes));
        deliveries.clear(); // one row's fault is its own
        ScanTestCamera camera({qrFrame("late")});
        auto scan = makeScan(false);
        scan->startScan();
        ASSERT_TRUE(camera.awaitFrames(2));
        change(*scan, camera);
        EXPECT_FALSE(runMainUntil([&] { return !deliveries.empty(); }, 0.1));
    }
}

TEST_F(ScanCaptureTest, BatchWithoutReadableCodeIsIgnoredAndAStopDropsAPendingPicture)
{
    ScanTestCamera camera({codeFrame({640, 480}, {})});
    auto scan = makeScan();
    scan->startScan();
    const std::vector<AVMetadataObjectPtr> unreadable {
        std::make_shared<AVMetadataObject>(AVMetadataObjectTypeFace, CGRectZero),
        std::make_shared<AVMetadataMachineReadableCodeObject>(AVMetadataObjectTypeQRCode, CGRectZero, std::nullopt)};
    scan->captureOutput(*scan->output(), unreadable, nullptr);
    EXPECT_TRUE(scan->wantsScanResult());
    EXPECT_TRUE(scan->session()->isRunning());

    const std::vector<AVMetadataObjectPtr> code {
        std::make_shared<AVMetadataMachineReadableCodeObject>(AVMetadataObjectTypeQRCode, CGRectZero, "c")};
    scan->captureOutput(*scan->output(), code, nullptr);
    EXPECT_FALSE(scan->wantsScanResult()); // cleared before the picture is asked for
    scan->captureOutput(*scan->output(), code, nullptr);
    scan->stopScan(); // the screen went while the picture was being taken
    runMainUntil([] { return false; }, 0.1);
    EXPECT_TRUE(deliveries.empty());
}

TEST_F(ScanCaptureTest, WithoutStillPictureResultsComeAtOnceAsACopy)
{
    ScanTestCamera camera({codeFrame({640, 480}, {})});
    auto scan = makeScan(false);
    scan->startScan();
    scan->captureOutput(*scan->output(), {std::make_shared<AVMetadataMachineReadableCodeObject>(AVMetadataObjectTypeEAN8Code, CGRectZero, "96385074")}, nullptr);
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_FALSE(scan->session()->isRunning());
    deliveries[0][0]->strScanned = "changed by the receiver";
    EXPECT_EQ(scan->arrayResult()[0]->strScanned, "96385074");
}

TEST_F(ScanCaptureTest, DevicesPermissionsAndFocus)
{
    {
        // No camera: nothing is built, and starting makes no thread.
        auto scan = makeScan();
        EXPECT_FALSE(scan->device());
        scan->startScan();
        EXPECT_FALSE(scan->session());
        EXPECT_TRUE(preview->subviews().empty());
    }
    AVCaptureDevice::Features autoOnly;
    autoOnly.focusModes = {AVCaptureFocusMode::Locked, AVCaptureFocusMode::AutoFocus};
    struct Case {
        AVCaptureDevice::Features features;
        AVAuthorizationStatus status;
        bool input;
        AVCaptureFocusMode focus;
    } cases[] = {
        {{}, AVAuthorizationStatus::Authorized, true, AVCaptureFocusMode::ContinuousAutoFocus},
        {autoOnly, AVAuthorizationStatus::Authorized, true, AVCaptureFocusMode::Locked},
        {{}, AVAuthorizationStatus::NotDetermined, true, AVCaptureFocusMode::ContinuousAutoFocus},
        {{}, AVAuthorizationStatus::Denied, false, AVCaptureFocusMode::Locked},
        {{}, AVAuthorizationStatus::Restricted, false, AVCaptureFocusMode::Locked},
    };
    for (const auto& c : cases) {
        ScanTestCamera camera({}, c.features);
        AVCaptureDevice::setAuthorizationStatus(c.status);
        auto scan = makeScan();
        EXPECT_EQ(scan->input() != nullptr, c.input);
        EXPECT_EQ(scan->device()->focusMode(), c.focus);
        EXPECT_EQ(ScanWrapper::isGetCameraPermission(), c.status != AVAuthorizationStatus::Denied);
    }
}

TEST_F(ScanCaptureTest, TorchTogglesAndLeavesAutoAlone)
{
    ScanTestCamera camera({});
    auto wrapper = ScanWrapper::initWithPreView(preview, std::nullopt, CGRectZero, {});
    auto device = wrapper->scanNativeObj()->device();
    using enum AVCaptureTorchMode;
    for (const auto& [before, after] : {std::pair {Off, On}, std::pair {On, Off}, std::pair {Auto, Auto}}) {
        device->lockForConfiguration();
        device->setTorchMode(before);
        device->unlockForConfiguration();
        wrapper->openOrCloseFlash();
        EXPECT_EQ(device->torchMode(), after);
    }
}

TEST_F(ScanCaptureTest, ScanRectCoversInTheFrameWhatTheOverlayShows)
{
    ScanTestCamera camera({});
    auto scan = makeScan();
    scan->setScanRect(CGRectMake(200, 72, 624, 624));
    // The 1920 × 1080 frame fills the 1024 × 768 view at 0.711 points a pixel, 170.7 points cut off each side.
    const CGRect crop = AVCaptureMetadataOutput::cropInFrame(scan->output()->rectOfInterest(), 1920, 1080);
    const double k = 1080.0 / 768, cut = (1920 - 1024 * k) / 2;
    for (const double off : {crop.origin.x - cut - 200 * k, crop.origin.y - 72 * k, crop.size.width - 624 * k,
                             crop.size.height - 624 * k})
        EXPECT_NEAR(off, 0, 1e-6);
}
