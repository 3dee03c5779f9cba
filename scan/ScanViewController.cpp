#include "scan/ScanViewController.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/UIAlertView.h"

ScanViewController::~ScanViewController()
{
    RunLoop::main().cancelPerforms(this);
}

void ScanViewController::viewDidLoad()
{
    view()->setBackgroundColor(UIColor::blackColor());
}

void ScanViewController::viewDidAppear(bool animated)
{
    UIViewController::viewDidAppear(animated);
    drawScanView();
    std::weak_ptr<UIViewController> weak = weak_from_this();
    RunLoop::main().perform(
        [weak] {
            if (auto screen = std::static_pointer_cast<ScanViewController>(weak.lock()))
                screen->startScan();
        },
        StartDelay, this);
    m_alertObserver = NotificationCenter::defaultCenter().addObserver(
        UIAlertViewDidDismissNotification, [weak](const Notification&) {
            if (auto screen = std::static_pointer_cast<ScanViewController>(weak.lock()))
                screen->alertClosed();
        });
}

void ScanViewController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    RunLoop::main().cancelPerforms(this);
    m_alertObserver.reset();
    m_stoppedByResult = false;
    if (m_scanObj)
        m_scanObj->stopScan();
    if (m_qRScanView)
        m_qRScanView->stopScanAnimation();
}

void ScanViewController::drawScanView()
{
    if (!m_qRScanView) {
        const CGSize size = view()->frame().size;
        m_qRScanView = ScanView::initWithFrame(CGRectMake(0, 0, size.width, size.height), m_style);
        view()->addSubview(m_qRScanView);
    }
    m_qRScanView->startDeviceReadyingWithText("相机启动中");
}

void ScanViewController::startScan()
{
    if (!ScanWrapper::isGetCameraPermission()) {
        m_qRScanView->stopDeviceReadying();
        showError(CameraPermissionMessage);
        return;
    }
    if (!m_scanObj) {
        const CGRect crop = isOpenInterestRect && m_style ? ScanView::getScanRectWithPreView(*view(), *m_style)
                                                          : CGRectZero;
        std::weak_ptr<UIViewController> weak = weak_from_this();
        m_scanObj = ScanWrapper::initWithPreView(view(), std::nullopt, crop, [weak](const ScanResults& array) {
            if (auto screen = std::static_pointer_cast<ScanViewController>(weak.lock()))
                screen->handOver(array);
        });
    }
    m_scanObj->startScan();
    m_stoppedByResult = false;
    m_qRScanView->stopDeviceReadying();
    // Without a camera's pictures nothing would ever move behind the frame: say why instead of
    // animating. A camera that may not be used is there all the same, so "no camera" would mislead.
    if (!m_scanObj->hasCamera()) {
        m_qRScanView->showNotice(ScanWrapper::isCameraUseAllowed() ? NoCameraNotice : CameraNotAllowedNotice);
        return;
    }
    m_qRScanView->showNotice("");
    m_qRScanView->startScanAnimation();
    view()->setBackgroundColor(UIColor::clearColor());
}

void ScanViewController::handOver(const ScanResults& array)
{
    m_stoppedByResult = true;
    scanResultWithArray(array);
}

void ScanViewController::alertClosed()
{
    if (!m_stoppedByResult || appearance() != Appearance::Appeared || presentedViewController() || !m_scanObj)
        return;
    m_stoppedByResult = false;
    m_scanObj->startScan();
}

void ScanViewController::scanResultWithArray(const ScanResults&) {}

void ScanViewController::showError(const std::string&) {}

void ScanViewController::reStartDevice()
{
    if (m_scanObj)
        m_scanObj->startScan();
}

void ScanViewController::openOrCloseFlash()
{
    if (m_scanObj)
        m_scanObj->openOrCloseFlash();
    isOpenFlash = !isOpenFlash;
}

void ScanViewController::openLocalPhoto()
{
    auto picker = std::make_shared<UIImagePickerController>();
    picker->sourceType = UIImagePickerControllerSourceType::PhotoLibrary;
    picker->delegate = std::dynamic_pointer_cast<UIImagePickerControllerDelegate>(shared_from_this());
    picker->allowsEditing = true;
    presentViewController(picker, true);
}

void ScanViewController::imagePickerControllerDidFinishPickingMediaWithInfo(
    UIImagePickerController& picker, const std::map<std::string, UIImagePtr>& info)
{
    picker.dismissViewControllerAnimated(true);
    const auto picked = [&info](const std::string& key) -> UIImagePtr {
        const auto found = info.find(key);
        return found != info.end() ? found->second : nullptr;
    };
    const UIImagePtr edited = picked(UIImagePickerControllerEditedImage);
    const UIImagePtr image = edited ? edited : picked(UIImagePickerControllerOriginalImage);
    std::weak_ptr<UIViewController> weak = weak_from_this();
    ScanWrapper::recognizeImage(image, [weak](const ScanResults& array) {
        if (auto screen = std::static_pointer_cast<ScanViewController>(weak.lock()))
            screen->scanResultWithArray(array);
    });
}

void ScanViewController::imagePickerControllerDidCancel(UIImagePickerController& picker)
{
    NSLog("cancel");
    picker.dismissViewControllerAnimated(true);
}
