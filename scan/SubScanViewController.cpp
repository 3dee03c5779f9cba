#include "scan/SubScanViewController.h"

#include "kit/KeypadAlertView.h"
#include "platform/foundation/Log.h"
#include "platform/ui/UIScreen.h"

UIControl::Action SubScanViewController::action(void (SubScanViewController::*method)())
{
    std::weak_ptr<UIViewController> weak = weak_from_this();
    return [weak, method](UIControl&) {
        if (auto screen = std::static_pointer_cast<SubScanViewController>(weak.lock()))
            ((*screen).*method)();
    };
}

void SubScanViewController::viewDidLoad()
{
    ScanViewController::viewDidLoad();
    view()->setBackgroundColor(UIColor::blackColor());
}

void SubScanViewController::viewDidAppear(bool animated)
{
    ScanViewController::viewDidAppear(animated);
    drawTitle();
    view()->bringSubviewToFront(topTitle.get());
    drawReturnBtn();
    view()->bringSubviewToFront(btnReturn.get());
    drawVipCardPay();
}

void SubScanViewController::drawTitle()
{
    if (topTitle)
        return;
    topTitle = UILabel::create(CGRectMake(0, 0, 145, 60));
    topTitle->setCenter(CGPointMake(view()->frame().size.width / 2, 50));
    if (UIScreen::mainScreen().bounds().size.height <= 568) {
        topTitle->setCenter(CGPointMake(view()->frame().size.width / 2, 38));
        topTitle->setFont(UIFont::systemFontOfSize(14));
    }
    topTitle->setTextAlignment(NSTextAlignment::Center);
    topTitle->setNumberOfLines(0);
    topTitle->setTextColor(UIColor::whiteColor());
    topTitle->setText(topTitleValue);
    view()->addSubview(topTitle);
}

void SubScanViewController::drawReturnBtn()
{
    if (btnReturn)
        return;
    btnReturn = UIButton::buttonWithType(UIButtonType::System);
    btnReturn->setFrame(CGRectMake(50, 20, 100, 50));
    btnReturn->setTitle("返回");
    btnReturn->setTitleColor(UIColor::whiteColor());
    btnReturn->addTarget(this, action(&SubScanViewController::clickReturn), UIControlEventTouchUpInside);
    view()->addSubview(btnReturn);
}

void SubScanViewController::clickReturn()
{
    dismissViewControllerAnimated(true);
}

UILabelPtr SubScanViewController::makePanelCaption(const std::string& text, CGPoint centre)
{
    auto label = UILabel::create(CGRectMake(0, 0, 145, 30));
    label->setCenter(centre);
    label->setText(text);
    label->setTextColor(UIColor::whiteColor());
    view()->addSubview(label);
    view()->bringSubviewToFront(label.get());
    return label;
}

UITextFieldPtr SubScanViewController::makePanelField(std::int64_t tag, CGPoint centre)
{
    auto field = UITextField::create(CGRectMake(0, 0, 200, 30));
    field->setCenter(centre);
    field->setBackgroundColor(UIColor::whiteColor());
    field->setKeyboardType(UIKeyboardType::NumberPad);
    field->setTag(static_cast<int>(tag));
    field->setDelegate(std::dynamic_pointer_cast<UITextFieldDelegate>(shared_from_this()));
    view()->addSubview(field);
    view()->bringSubviewToFront(field.get());
    return field;
}

UIButtonPtr SubScanViewController::makePanelButton(const std::string& title, CGPoint centre,
                                                   void (SubScanViewController::*method)())
{
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(0, 0, 100, 30));
    button->setCenter(centre);
    button->setBackgroundColor(UIColor::greenColor());
    button->setTitle(title);
    button->setTitleColor(UIColor::whiteColor());
    button->setBackgroundImage(UIImage::imageNamed("绿色按钮.png"), UIControlStateNormal);
    button->setBackgroundImage(UIImage::imageNamed("红色按钮.png"), UIControlStateHighlighted);
    button->addTarget(this, action(method), UIControlEventTouchUpInside);
    view()->addSubview(button);
    view()->bringSubviewToFront(button.get());
    return button;
}

void SubScanViewController::drawVipCardPay()
{
    if (!isVipCard || lblVipCardNo)
        return;
    const double W = view()->frame().size.width, H = view()->frame().size.height;
    lblVipCardNo = makePanelCaption("会员卡号:", CGPointMake(W / 2 - 150, H - 200));
    txtVipCardNo = makePanelField(CardNoTag, CGPointMake(W / 2 - 40, H - 200));
    btnSendPw = makePanelButton("发送密码", CGPointMake(W / 2 + 120, H - 200), &SubScanViewController::clickSendPw);
    lblVipCardPw = makePanelCaption("动态密码:", CGPointMake(W / 2 - 150, H - 150));
    txtVipCardPw = makePanelField(PasswordTag, CGPointMake(W / 2 - 40, H - 150));
    btnConfirmVipPay =
        makePanelButton("确认支付", CGPointMake(W / 2 + 120, H - 150), &SubScanViewController::confirmVipPay);
}

void SubScanViewController::textFieldDidBeginEditing(UITextField& textField)
{
    curTextTag = textField.tag();
    textField.resignFirstResponder();
    auto keypad = KeypadAlertView::create();
    if (txtVipCardNo && curTextTag == txtVipCardNo->tag())
        keypad->title()->setText("请输入会员卡号");
    else if (txtVipCardPw && curTextTag == txtVipCardPw->tag())
        keypad->title()->setText("请输入支付密码");
    keypad->setDelegate(std::dynamic_pointer_cast<KeypadAlertViewDelegate>(shared_from_this()));
    keypad->setIsPassWord(false);
    keypad->show();
}

void SubScanViewController::customAlertViewClick(std::int64_t, bool isOk, const std::string& input, std::int32_t)
{
    if (!isOk)
        return;
    if (txtVipCardNo && curTextTag == txtVipCardNo->tag())
        txtVipCardNo->setText(input);
    else if (txtVipCardPw && curTextTag == txtVipCardPw->tag())
        txtVipCardPw->setText(input);
}

void SubScanViewController::clickSendPw()
{
    if (auto receiver = delegate.lock())
        receiver->sendVipPwByCardNo(txtVipCardNo ? txtVipCardNo->text() : "");
}

void SubScanViewController::confirmVipPay()
{
    if (auto receiver = delegate.lock())
        receiver->confirmVipPwPay(txtVipCardPw ? txtVipCardPw->text() : "", txtVipCardNo ? txtVipCardNo->text() : "");
}

void SubScanViewController::scanResultWithArray(const ScanResults& array)
{
    if (array.empty()) {
        popAlertMsgWithScanResult(std::nullopt);
        return;
    }
    for (const auto& result : array)
        NSLog("scanResult:%s", result->strScanned.value_or("").c_str());
    if (auto receiver = delegate.lock())
        receiver->scanResult(array.front()->strScanned.value_or(""));
}

std::string SubScanViewController::popAlertMsgWithScanResult(const std::optional<std::string>& strResult)
{
    return strResult.value_or("识别失败");
}

void SubScanViewController::drawBottomItems()
{
    if (bottomItemsView)
        return;
    const CGRect f = view()->frame();
    bottomItemsView = UIView::create(CGRectMake(0, f.size.height - 164, f.size.width, 100));
    bottomItemsView->setBackgroundColor(UIColor::blackColor()->colorWithAlphaComponent(0.6));
    view()->addSubview(bottomItemsView);
    const CGSize size {65, 87};
    const double y = 100 / 2.0;
    const auto imageButton = [&](double x, const std::string& normal, const std::string& down) {
        auto button = UIButton::create(CGRectMake(0, 0, size.width, size.height));
        button->setCenter(CGPointMake(x, y));
        button->setImage(UIImage::imageNamed(normal), UIControlStateNormal);
        if (!down.empty())
            button->setImage(UIImage::imageNamed(down), UIControlStateHighlighted);
        bottomItemsView->addSubview(button);
        return button;
    };
    btnFlash = imageButton(f.size.width / 4, "CodeScan.bundle/qrcode_scan_btn_flash_nor", "");
    btnFlash->addTarget(this, action(&SubScanViewController::openOrCloseFlash), UIControlEventTouchUpInside);
    btnPhoto = imageButton(f.size.width / 2, "CodeScan.bundle/qrcode_scan_btn_photo_nor",
                           "CodeScan.bundle/qrcode_scan_btn_photo_down");
    btnPhoto->addTarget(this, action(&SubScanViewController::openPhoto), UIControlEventTouchUpInside);
    btnMyQR = imageButton(f.size.width * 3 / 4, "CodeScan.bundle/qrcode_scan_btn_myqrcode_nor",
                          "CodeScan.bundle/qrcode_scan_btn_myqrcode_down");
}

void SubScanViewController::openOrCloseFlash()
{
    ScanViewController::openOrCloseFlash();
    if (btnFlash)
        btnFlash->setImage(UIImage::imageNamed(isOpenFlash ? "CodeScan.bundle/qrcode_scan_btn_flash_down"
                                                           : "CodeScan.bundle/qrcode_scan_btn_flash_nor"));
}

void SubScanViewController::openPhoto()
{
    if (ScanWrapper::isGetPhotoPermission())
        openLocalPhoto();
    else
        showError(PhotoPermissionMessage);
}
