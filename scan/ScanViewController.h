#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/UIImagePickerController.h"
#include "platform/ui/UIViewController.h"
#include "scan/ScanView.h"
#include "scan/ScanViewStyle.h"
#include "scan/ScanWrapper.h"

#include <memory>
#include <string>

// The scanning component's base screen: the camera picture under the overlay, capture started
// 0.2 s after each appearance and stopped on leaving, results handed to scanResultWithArray on
// the main run loop. The screen owns the facade; the facade's result block and every delayed
// step hold the screen weakly, so nothing keeps a dismissed screen alive or runs for it.
//
// A result stops capture. When the presenter rejects the code with an alert and leaves the
// screen up, capture resumes once that alert is closed, so the camera is not left dead.
class ScanViewController : public UIViewController, public UIImagePickerControllerDelegate {
public:
    static constexpr double StartDelay = 0.2;
    static constexpr const char* CameraPermissionMessage = "   请到设置隐私中开启本程序相机权限   ";
    static constexpr const char* NoCameraNotice = "未检测到相机";
    static constexpr const char* CameraNotAllowedNotice = "相机未被授权使用";

    ~ScanViewController() override;

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;

    void drawScanView();
    void startScan();
    virtual void scanResultWithArray(const ScanResults& array);
    virtual void showError(const std::string& str);
    void reStartDevice();
    void openOrCloseFlash();
    void openLocalPhoto();
    // A picture the clerk picked: its code (the edited picture if there is one) is read at once.
    void imagePickerControllerDidFinishPickingMediaWithInfo(UIImagePickerController& picker,
                                                          const std::map<std::string, UIImagePtr>& info) override;
    void imagePickerControllerDidCancel(UIImagePickerController& picker) override;

    const ScanViewStylePtr& style() const { return m_style; }
    void setStyle(ScanViewStylePtr style) { m_style = std::move(style); }
    const ScanWrapperPtr& scanObj() const { return m_scanObj; }
    const ScanViewPtr& qRScanView() const { return m_qRScanView; }

    UIImagePtr scanImage;
    bool isOpenInterestRect = false;
    bool isOpenFlash = false;

private:
    void handOver(const ScanResults& array);
    void alertClosed();

    ScanWrapperPtr m_scanObj;
    ScanViewPtr m_qRScanView;
    ScanViewStylePtr m_style;
    // A result stopped capture and the screen is still up: an alert closing resumes it.
    bool m_stoppedByResult = false;
    NotificationCenter::Token m_alertObserver;
};
