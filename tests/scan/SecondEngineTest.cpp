#include "platform/ui/UIDevice.h"
#include "platform/ui/UIWindow.h"
#include "scan/ScanWrapper.h"
#include "scan/ZXingWrapper.h"

#include "ScanTestCamera.h"

#include <gtest/gtest.h>

namespace {
class SecondEngineTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        UIDevice::currentDevice().setSystemVersion("8.0");
        RunLoop::main().reset();
    }
};
} // namespace

TEST_F(SecondEngineTest, RotationTurnsClockwiseOntoTheBoundingBox)
{
    auto wide = codeFrame({192, 108}, {});
    EXPECT_EQ(ScanZXCapture::createRotatedImage(wide, 0), wide);
    auto upright = ScanZXCapture::createRotatedImage(wide, 90);
    ASSERT_TRUE(upright);
    EXPECT_EQ(upright->pixelWidth(), 108);
    EXPECT_EQ(upright->pixelHeight(), 192);
    EXPECT_FALSE(ScanZXCapture::createRotatedImage(wide, NAN));
}

TEST_F(SecondEngineTest, OlderSystemsScanLiveThroughTheSecondEngineAndTakeTheFirstResult)
{
    UIDevice::currentDevice().setSystemVersion("6.1.3");
    ScanTestCamera camera({qrFrame("legacy")});
    auto preview = UIView::create(CGRectMake(0, 0, 1024, 768));
    std::vector<ScanResults> deliveries;
    auto wrapper = ScanWrapper::initWithPreView(preview, std::nullopt, CGRectZero,
                                                [&](const ScanResults& results) { deliveries.push_back(results); });
    ASSERT_FALSE(wrapper->scanNativeObj());
    ASSERT_TRUE(wrapper->scanZXingObj());
    auto capture = wrapper->scanZXingObj()->capture();
    EXPECT_EQ(preview->subviews().front(), capture->layer());
    wrapper->startScan();
    ASSERT_TRUE(runMainUntil([&] { return !deliveries.empty(); }));
    ASSERT_EQ(deliveries[0].size(), 1u);
    EXPECT_EQ(deliveries[0][0]->strScanned, "legacy");
    EXPECT_EQ(deliveries[0][0]->strBarCodeType, AVMetadataObjectTypeQRCode);
    // The frame was turned upright before reading.
    EXPECT_EQ(deliveries[0][0]->imgScanned->pixelWidth(), 480);
    EXPECT_FALSE(capture->running);
    EXPECT_FALSE(runMainUntil([&] { return deliveries.size() > 1; }, 0.1));

    // The same camera twice changes nothing; the QR image comes from the writer on this path.
    auto input = capture->session()->inputs();
    capture->setCamera(ScanZXCapture::back());
    EXPECT_EQ(capture->session()->inputs(), input);
    EXPECT_TRUE(ScanWrapper::createQRWithString("old", CGSizeMake(120, 120)));
    EXPECT_TRUE(ScanWrapper::isGetCameraPermission());
}

TEST_F(SecondEngineTest, ScanRectLimitsWhatIsReadInTheTurnedFrameWhichGivesItsFirstCode)
{
    const auto corner = qrFrame("in the corner");
    const auto two = codeFrame({640, 480}, {{"上", ZXing::BarcodeFormat::QRCode, {40, 40}}, {"下", ZXing::BarcodeFormat::QRCode, {360, 200}}});
    const struct { UIImagePtr frame; CGRect rect; std::optional<std::string> read; } rows[] = {
        {corner, CGRectZero, "in the corner"},
        {corner, CGRectMake(0, 350, 480, 290), std::nullopt},
        {corner, CGRectMake(200, 150, 200, 250), "in the corner"},
        {two, CGRectZero, "上"},
    };
    for (const auto& row : rows) {
        ScanTestCamera camera({row.frame});
        std::vector<std::string> texts;
        auto adapter = ZXingWrapper::initWithPreView(nullptr, [&](std::int32_t, const std::string& text, const UIImagePtr&) {
            texts.push_back(text);
        });
        // The capture runs from the adapter's making: what it read before the rectangle was set waits on the main loop.
        ASSERT_TRUE(camera.awaitFrames(2));
        adapter->setScanRect(row.rect);
        adapter->start();
        runMainUntil([&] { return !texts.empty(); }, row.read ? 5 : 0.2);
        EXPECT_EQ(texts.empty() ? std::nullopt : std::optional(texts[0]), row.read);
        adapter->stop();
    }
}

TEST_F(SecondEngineTest, NothingIsDeliveredBeforeTheStartNorFromARunThatEnded)
{
    ScanTestCamera camera({qrFrame("late")});
    std::vector<std::string> texts;
    auto adapter = ZXingWrapper::initWithPreView(nullptr, [&](std::int32_t, const std::string& text, const UIImagePtr&) {
        texts.push_back(text);
    });
    ASSERT_TRUE(camera.awaitFrames(2));
    EXPECT_FALSE(runMainUntil([&] { return !texts.empty(); }, 0.1)) << "results came before they were wished for";
    adapter->start();
    ASSERT_TRUE(camera.awaitFrames(2));
    adapter->stop();
    camera.hold();
    adapter->start();
    EXPECT_FALSE(runMainUntil([&] { return !texts.empty(); }, 0.1)) << "a result of the run that ended came";
}

TEST_F(SecondEngineTest, WithoutADelegateThePreviewComingOnScreenRunsTheCapture)
{
    ScanTestCamera camera({});
    auto capture = ScanZXCapture::create();
    auto screen = UIWindow::create(CGRectMake(0, 0, 100, 100));
    capture->order_skip();
    screen->addSubview(capture->layer()); // skipped
    EXPECT_FALSE(capture->running);
    capture->layer()->removeFromSuperview(); // skipped
    screen->addSubview(capture->layer());
    EXPECT_TRUE(capture->running);
    capture->layer()->removeFromSuperview();
    EXPECT_FALSE(capture->running);
    capture->hard_stop();
    screen->addSubview(capture->layer());
    EXPECT_FALSE(capture->running);
}
