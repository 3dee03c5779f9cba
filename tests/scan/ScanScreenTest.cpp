#include "kit/KeypadAlertView.h"
#include "kit/UIAlertViewQN.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIScreen.h"
#include "platform/ui/UIWindow.h"
#include "platform/ui/ViewRenderer.h"
#include "scan/SubScanViewController.h"

#include "ScanTestCamera.h"
#include "tests/support/ScreenPictures.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <set>

namespace {
// The screen that opens the scanner, as the bill and the room floor do.
class Presenter : public UIViewController, public ScanResultDelegate {
public:
    void scanResult(const std::string& text) override
    {
        texts.push_back(text);
        if (rejectWithAlert)
            UIAlertViewQN::setMsg("无效的二维码")->show();
    }
    void sendVipPwByCardNo(const std::string& cardNo) override { panel.push_back("send " + cardNo); }
    void confirmVipPwPay(const std::string& password, const std::string& cardNo) override
    {
        panel.push_back("pay " + password + " " + cardNo);
    }
    std::vector<std::string> texts, panel;
    bool rejectWithAlert = false;
};

class ScanScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UIApplication::sharedApplication().resetForTesting();
        window = UIWindow::create(UIScreen::mainScreen().bounds());
        presenter = std::make_shared<Presenter>();
        window->setRootViewController(presenter);
        window->makeKeyAndVisible();
        clock.advance(0.5);
    }
    void TearDown() override
    {
        window.reset();
        UIApplication::sharedApplication().resetForTesting();
    }
    std::shared_ptr<SubScanViewController> present(bool vip = false)
    {
        auto style = ScanViewStyle::create(); // as the program's presenters style it
        style->centerUpOffset = vip ? 200 : 0;
        style->xScanRetangleOffset = 200;
        style->photoframeAngleStyle = 0;
        style->photoframeAngleW = style->photoframeAngleH = 80;
        style->photoframeLineW = vip ? 0 : 10;
        style->colorAngle = UIColor::colorWithRed(0, 200 / 255.0, 20 / 255.0, 1);
        style->animationImage = UIImage::imageNamed("CodeScan.bundle/qrcode_Scan_weixin_Line");
        auto scan = std::make_shared<SubScanViewController>();
        scan->topTitleValue = vip ? "会员支付" : "扫码存酒";
        scan->isVipCard = vip;
        scan->setStyle(style);
        scan->delegate = presenter;
        presenter->presentViewController(scan, true);
        return scan;
    }
    std::shared_ptr<KeypadAlertView> keypad() const
    {
        for (const auto& view : window->subviews()) {
            if (auto dialog = std::dynamic_pointer_cast<KeypadAlertView>(view))
                return dialog;
        }
        return nullptr;
    }

    ManualMainClock clock;
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<Presenter> presenter;
};
} // namespace

TEST_F(ScanScreenTest, DismissedBeforeTheStartNeverStartsTheCamera)
{
    ScanTestCamera camera({qrFrame("x")});
    auto scan = present();
    clock.advance(UIViewController::TransitionDuration + 0.1);
    EXPECT_EQ(scan->qRScanView()->labelReadying()->text(), "相机启动中");
    scan->clickReturn();
    clock.advance(1);
    EXPECT_FALSE(scan->scanObj());
    EXPECT_EQ(camera.shown(), 0u);
}

// A camera that may not be used says so, a denied one stays black: neither animates over nothing.
TEST_F(ScanScreenTest, ACameraThatMayNotBeUsedSaysSoAndADeniedOneStaysBlack)
{
    const struct { const char* name; AVAuthorizationStatus status; const char* notice; } rows[] = {
        {"camera-restricted", AVAuthorizationStatus::Restricted, ScanViewController::CameraNotAllowedNotice},
        {"camera-denied", AVAuthorizationStatus::Denied, "(none)"},
    };
    for (const auto& row : rows) {
        ScanTestCamera camera({qrFrame("x")});
        AVCaptureDevice::setAuthorizationStatus(row.status);
        auto scan = present();
        clock.advance(UIViewController::TransitionDuration + 0.3);
        keepScreenPicture(std::string("scan-screen-") + row.name);
        const auto notice = scan->qRScanView()->labelNotice();
        EXPECT_EQ(notice ? notice->text() : "(none)", row.notice) << row.name;
        EXPECT_EQ(scan->scanObj() != nullptr, row.status != AVAuthorizationStatus::Denied) << row.name;
        EXPECT_FALSE(scan->qRScanView()->activityView() || scan->qRScanView()->scanLineAnimation()) << row.name;
        EXPECT_EQ(scan->view()->backgroundColor(), UIColor::blackColor()) << row.name;
        scan->clickReturn();
        clock.advance(1);
    }
}

// Two codes in one frame: both are logged in the order read, and the first one is handed over.
TEST_F(ScanScreenTest, CodeReachesThePresenterAndARejectingAlertResumesCapture)
{
    ScanTestCamera camera({codeFrame({640, 480}, {{"1001|wine|7", ZXing::BarcodeFormat::QRCode, {40, 120}, 6, 4},
                                                  {"1002|wine|8", ZXing::BarcodeFormat::QRCode, {400, 120}, 6}})});
    camera.hold();
    presenter->rejectWithAlert = true;
    LogCapture log;
    std::weak_ptr<SubScanViewController> weak;
    std::weak_ptr<AVCaptureSession> session;
    {
        auto scan = present();
        weak = scan;
        clock.advance(UIViewController::TransitionDuration + 0.3);
        ASSERT_TRUE(scan->scanObj());
        EXPECT_FALSE(scan->qRScanView()->activityView());
        EXPECT_TRUE(scan->qRScanView()->scanLineAnimation()->isAnimating());
        ASSERT_TRUE(runMainUntil([&] { return camera.hasShownAFrame(); }));
        keepScreenPicture("scan-screen-reading");
        camera.release();
        session = scan->scanObj()->scanNativeObj()->session();
        ASSERT_TRUE(runMainUntil([&] { return !presenter->texts.empty(); }));
        auto logged = log.lines();
        std::erase_if(logged, [](const std::string& line) { return line.rfind("scanResult:", 0) != 0; });
        ASSERT_EQ(std::set(logged.begin(), logged.end()), (std::set<std::string> {"scanResult:1001|wine|7", "scanResult:1002|wine|8"}));
        EXPECT_EQ(std::vector {"scanResult:" + presenter->texts.at(0)}, std::vector {logged[0]});
        EXPECT_FALSE(session.lock()->isRunning());
        // The camera's light picture shows through the dimmed band beside the frame.
        const auto shown = ViewRenderer::render(*scan->view()).get()->pixelAt(20, 400);
        EXPECT_NEAR(shown.red, 0.93 * 255 / 2, 8);
        EXPECT_EQ(shown.alpha, 255);
        keepScreenPicture("scan-screen-code-rejected-alert");

        UIApplication::sharedApplication().topAlert()->tapButtonAtIndex(0);
        EXPECT_TRUE(session.lock()->isRunning());
        ASSERT_TRUE(runMainUntil([&] { return presenter->texts.size() == 2; }));
        UIApplication::sharedApplication().topAlert()->tapButtonAtIndex(0);
        scan->clickReturn();
    }
    clock.advance(1);
    // Nothing of the screen is left: not the screen, not its camera session.
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(session.expired());
}

TEST_F(ScanScreenTest, MemberCardPanelTakesKeypadDigitsAndAppearingAgainAddsNothing)
{
    auto scan = present(true);
    clock.advance(UIViewController::TransitionDuration + 0.3);
    // No camera here: a notice instead of a line sweeping over nothing.
    EXPECT_EQ(scan->qRScanView()->labelNotice()->text(), ScanViewController::NoCameraNotice);
    EXPECT_FALSE(scan->qRScanView()->scanLineAnimation());
    ASSERT_TRUE(scan->txtVipCardNo);
    EXPECT_EQ(scan->txtVipCardNo->center(), CGPointMake(472, 568));
    EXPECT_EQ(scan->btnConfirmVipPay->center(), CGPointMake(632, 618));

    struct Step {
        UITextFieldPtr field;
        std::string title, digits;
        bool ok;
    } steps[] = {
        {scan->txtVipCardNo, "请输入会员卡号", "8801", true},
        {scan->txtVipCardPw, "请输入支付密码", "42", true},
        {scan->txtVipCardPw, "请输入支付密码", "99", false},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(step.field->tap());
        auto dialog = keypad();
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->title()->text(), step.title);
        EXPECT_FALSE(step.field->isEditing());
        for (char digit : step.digits)
            dialog->clickNum(digit - '0');
        step.ok ? dialog->clickOK() : dialog->clickCancel();
        clock.advance(1);
    }
    EXPECT_EQ(scan->txtVipCardNo->text(), "8801");
    EXPECT_EQ(scan->txtVipCardPw->text(), "42");
    scan->btnSendPw->tap();
    scan->btnConfirmVipPay->tap();
    EXPECT_EQ(presenter->panel, (std::vector<std::string> {"send 8801", "pay 42 8801"}));

    const auto count = scan->view()->subviews().size();
    auto title = scan->topTitle;
    scan->presentViewController(std::make_shared<UIViewController>(), false);
    clock.advance(0.5);
    scan->dismissViewControllerAnimated(false);
    clock.advance(0.5);
    EXPECT_EQ(scan->view()->subviews().size(), count);
    EXPECT_EQ(scan->topTitle, title);
    EXPECT_EQ(scan->topTitle->text(), "会员支付");
}

TEST_F(ScanScreenTest, PickedPhotoIsReadAndCancellingChangesNothing)
{
    auto scan = present();
    clock.advance(UIViewController::TransitionDuration + 0.3);
    // The second picture holds no code and adds nothing.
    for (const auto& picture : {qrFrame("from the album"), codeFrame({640, 480}, {})}) {
        scan->openLocalPhoto();
        auto picker = std::dynamic_pointer_cast<UIImagePickerController>(scan->presentedViewController());
        ASSERT_TRUE(picker);
        clock.advance(1);
        picker->pickImage(picture);
        clock.advance(1);
        EXPECT_FALSE(scan->presentedViewController());
        EXPECT_EQ(presenter->texts, std::vector<std::string> {"from the album"});
    }
    LogCapture log;
    scan->openLocalPhoto();
    clock.advance(1);
    std::dynamic_pointer_cast<UIImagePickerController>(scan->presentedViewController())->cancel();
    clock.advance(1);
    EXPECT_FALSE(scan->presentedViewController());
    EXPECT_TRUE(log.contains("cancel"));
    EXPECT_EQ(presenter->texts.size(), 1u);
}
