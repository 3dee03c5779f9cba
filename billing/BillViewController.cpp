#include "billing/BillViewController.h"

#include "kit/KeypadAlertView.h"
#include "kit/UIAlertViewQN.h"
#include "platform/ui/UIAlertView.h"
#include "session/DataCenter.h"
#include "session/VenueMessage.h"

namespace {

void showMessage(const std::string& message)
{
    UIAlertViewQN::setMsg(message)->show();
}

} // namespace

void BillViewController::viewDidLoad()
{
    RoomSceneViewController::viewDidLoad();
    const CGRect area = view()->bounds();
    const std::pair<const char*, PayWay> ways[] = {
        {"会员支付", VipCard}, {"微信扫码支付", WeChat}, {"支付宝扫码支付", AliPay}, {"现金结账", Cash}, {"银行卡结账", BankCard},
    };
    double x = 20;
    for (const auto& [title, way] : ways) {
        addButton(title, CGRectMake(x, area.size.height - 90, 150, 56),
                  [way = way](RoomSceneViewController& screen) { static_cast<BillViewController&>(screen).payAction(way); });
        x += 160;
    }
}

void BillViewController::payAction(int payWay)
{
    m_payWay = payWay;
    switch (payWay) {
    case VipCard:
        m_scanner.open(*this, "会员支付", true);
        break;
    case WeChat:
        m_scanner.open(*this, "微信扫码支付");
        break;
    case AliPay:
        m_scanner.open(*this, "支付宝扫码支付");
        break;
    default:
        settle("", "", "");
        break;
    }
}

void BillViewController::scanResult(const std::string& text)
{
    if (!m_scanner.isWaiting())
        return;
    // Nothing read: no payment to make.
    if (text.empty()) {
        m_scanner.finish();
        return;
    }
    // The code goes out as one field of the settlement request.
    if (!VenueMessage::fieldsAreSendable({text})) {
        showMessage("付款码无效");
        return;
    }
    settle(text, "", "");
}

void BillViewController::sendVipPwByCardNo(const std::string& cardNo)
{
    if (cardNo.empty()) {
        showMessage("会员卡号不能为空");
        return;
    }
    m_cardNo = cardNo;
    sendPaymentRequest(VenueCommand::MemberPassword, {cardNo});
}

void BillViewController::confirmVipPwPay(const std::string& password, const std::string& cardNo)
{
    if (cardNo.empty()) {
        showMessage("会员卡号不能为空");
        return;
    }
    if (password.empty()) {
        showMessage("支付密码不能为空");
        return;
    }
    settle("", cardNo, password);
}

void BillViewController::settle(const std::string& payCode, const std::string& cardNo, const std::string& cardPassword)
{
    m_payCode = payCode;
    m_cardNo = cardNo;
    m_cardPassword = cardPassword;
    m_scanner.finish();
    KeypadAlertView::showPasswordPrompt("请输入落单密码", SettleCommand,
                                        std::dynamic_pointer_cast<KeypadAlertViewDelegate>(shared_from_this()));
}

void BillViewController::customAlertViewClick(std::int64_t tag, bool isOk, const std::string& input, std::int32_t)
{
    if (!isOk || tag != SettleCommand)
        return;
    const auto& session = DataCenter::sharedInstance();
    sendPaymentRequest(VenueCommand::BillNetPay, {session.roomNo, session.passwordOperator(), input, std::to_string(m_payWay),
                                                  m_payCode, m_cardNo, m_cardPassword});
}

// The venue's word on the password it was asked to send, or a plain one when it gives none: a
// refusal without words would leave the clerk waiting for a password that never comes.
void BillViewController::socketDataHandleDidVipSendPassWord(const ResultDictionary& result)
{
    const std::string message = resultValue(result, "ErrorMsg");
    if (!message.empty())
        showMessage(message);
    else
        showMessage(resultSucceeded(result) ? "动态密码已发送" : "动态密码发送失败");
}

// Line 2 "1" refused, "2" not complete, anything else settled; line 3 is the server's word on a
// failure only. A mobile payment that is not complete waits for the guest, and nothing here asks
// the server how it ends, so the clerk is told to check rather than to take the bill as settled
// or to settle it again. A settled bill has nothing left to pay: the floor shows the room's new
// state.
void BillViewController::socketDataHandleDidGetBillConfirmNetPay(const ReplyLineList& lines)
{
    const std::string code = lines.size() > 2 ? lines[2] : "1"; // no status is no settlement
    const bool mobile = m_payWay == WeChat || m_payWay == AliPay;
    if (code == "2" && mobile) {
        showMessage("等待顾客支付，请核实付款结果后再操作");
    } else if (code == "1" || code == "2") {
        const std::string word = lines.size() > 3 ? lines[3] : std::string();
        showMessage(word.empty() ? "结账失败" : word);
    } else {
        showMessage("结账成功");
        btnBackAction();
    }
}
