#pragma once

#include "kit/KeypadAlertViewDelegate.h"
#include "platform/ui/UIButton.h"
#include "platform/ui/UILabel.h"
#include "platform/ui/UITextField.h"
#include "platform/ui/UITextFieldDelegate.h"
#include "scan/ScanResultDelegate.h"
#include "scan/ScanViewController.h"

#include <cstdint>
#include <memory>
#include <string>

// The program's camera screen: a title, "返回", and for member-card payment a panel with the
// card number and the dynamic password, typed on the keypad dialog. The first code read goes to
// the delegate; what it means, and whether the screen closes, is the presenter's business.
//
//     auto scan = std::make_shared<SubScanViewController>();
//     scan->topTitleValue = "会员支付";
//     scan->isVipCard = true;
//     scan->setStyle(style);
//     scan->delegate = presenter;
//     presenter->presentViewController(scan, true);
class SubScanViewController : public ScanViewController,
                              public KeypadAlertViewDelegate,
                              public UITextFieldDelegate {
public:
    static constexpr std::int64_t CardNoTag = 0;
    static constexpr std::int64_t PasswordTag = 1;
    static constexpr const char* PhotoPermissionMessage = "      请到设置->隐私中开启本程序相册权限     ";

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;

    void drawTitle();
    void drawReturnBtn();
    void clickReturn();
    void drawVipCardPay();
    void drawBottomItems();
    void openOrCloseFlash();
    void openPhoto();
    void textFieldDidBeginEditing(UITextField& textField) override;
    void customAlertViewClick(std::int64_t tag, bool isOk, const std::string& input, std::int32_t curCmd) override;
    void clickSendPw();
    void confirmVipPay();
    void scanResultWithArray(const ScanResults& array) override;
    // The text of a scan that read nothing; shown nowhere.
    std::string popAlertMsgWithScanResult(const std::optional<std::string>& strResult);

    std::weak_ptr<ScanResultDelegate> delegate;
    std::string topTitleValue;
    bool isVipCard = false;
    UILabelPtr topTitle;
    UIButtonPtr btnReturn;
    UIViewPtr bottomItemsView;
    UIButtonPtr btnPhoto;
    UIButtonPtr btnFlash;
    UIButtonPtr btnMyQR;
    UILabelPtr lblVipCardNo;
    UILabelPtr lblVipCardPw;
    UITextFieldPtr txtVipCardNo;
    UITextFieldPtr txtVipCardPw;
    UIButtonPtr btnSendPw;
    UIButtonPtr btnConfirmVipPay;

private:
    UIControl::Action action(void (SubScanViewController::*method)());
    UIButtonPtr makePanelButton(const std::string& title, CGPoint centre, void (SubScanViewController::*method)());
    UITextFieldPtr makePanelField(std::int64_t tag, CGPoint centre);
    UILabelPtr makePanelCaption(const std::string& text, CGPoint centre);

    std::int64_t curTextTag = -1;
};
