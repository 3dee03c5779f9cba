#include "ordering/OrderedFoodViewController.h"

#include "kit/KeypadAlertView.h"
#include "kit/ProgressHUD.h"
#include "kit/UIAlertViewQN.h"
#include "platform/ui/UIAlertView.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"
#include "session/SocketDataHandle.h"
#include "session/VenueMessage.h"

void OrderedFoodViewController::viewDidLoad()
{
    RoomSceneViewController::viewDidLoad();
    const CGRect area = view()->bounds();
    double x = 20;
    for (const char* title : {"微信扫码支付", "支付宝扫码支付"}) {
        addButton(title, CGRectMake(x, area.size.height - 90, 180, 56), [title](RoomSceneViewController& screen) {
            static_cast<OrderedFoodViewController&>(screen).netPayAction(title);
        });
        x += 190;
    }
}

void OrderedFoodViewController::netPayAction(const std::string& title)
{
    m_payTitle = title;
    KeypadAlertView::showPasswordPrompt("请输入密码", PasswordTag,
                                        std::dynamic_pointer_cast<KeypadAlertViewDelegate>(shared_from_this()));
}

void OrderedFoodViewController::customAlertViewClick(std::int64_t tag, bool isOk, const std::string& input, std::int32_t)
{
    if (!isOk || tag != PasswordTag)
        return;
    m_staffPassword = input;
    ServerNetworkCenter::sharedInstance().sentMsg(VenueCommand::ClerkInfo, {"0", "", "", input, "", "", ""});
}

void OrderedFoodViewController::socketDataHandleDidGetClerkInfo(const ResultDictionary& info)
{
    if (!resultSucceeded(info)) {
        UIAlertViewQN::setMsg(resultValue(info, "ErrorMsg"))->show();
        return;
    }
    // The password typed may be another clerk's than the one acting; the server checks the
    // order's password against its clerk, so that clerk acts from now on, as in the bottle chain.
    DataCenter::sharedInstance().actAsClerkNamedIn(info);
    m_scanner.open(*this, m_payTitle);
}

void OrderedFoodViewController::scanResult(const std::string& text)
{
    if (!m_scanner.isWaiting())
        return;
    m_scanner.finish();
    if (text.empty())
        return;
    // The code goes out as one field after the order's lines.
    if (!VenueMessage::fieldsAreSendable({text})) {
        UIAlertViewQN::setMsg(std::string("付款码无效"))->show();
        return;
    }
    const auto& session = DataCenter::sharedInstance();
    const auto& lines = SocketDataHandle::sharedInstance().getTmpSelectFood().foodSetArray;
    std::vector<std::string> fields {session.roomNo, session.passwordOperator(), m_staffPassword,
                                     std::to_string(lines.size())};
    for (const auto& line : lines)
        fields.insert(fields.end(), {line->FoodNo, line->FoodName, line->Price, line->Quantity, line->Flag, line->Note});
    fields.push_back(text);
    if (!sendPaymentRequest(VenueCommand::OrderPaidByCode, fields))
        return;
    m_HUD = ProgressHUD::createWithView(view());
    view()->addSubview(m_HUD);
    m_HUD->setLabelText(std::string("支付中,请耐心等候..."));
    m_HUD->show(true);
}

// A link lost while the payment is awaited (dropped, or gone silent and cut) takes its reply
// with it; the guest may have paid, so the clerk is told to check rather than to pay again.
bool OrderedFoodViewController::socketDataHandleServerConnect(SocketDataHandle&, bool connected)
{
    if (!connected && m_HUD) {
        endPaymentWait();
        UIAlertViewQN::setMsg(std::string("网络连接已断开，支付结果未知，请核实后再操作"))->show();
    }
    return false; // reconnecting stays the dispatcher's
}

void OrderedFoodViewController::endPaymentWait()
{
    if (m_HUD) {
        m_HUD->removeFromSuperview();
        m_HUD.reset();
    }
}

// "0" paid: the basket is done. "1" refused. Anything else waits for the guest.
void OrderedFoodViewController::socketDataHandleDidConfirmInputFoodNetPay(const std::string& code,
                                                                          const std::string& errorMsg,
                                                                          const std::string&)
{
    endPaymentWait();
    if (code == "0")
        SocketDataHandle::sharedInstance().clearTmpSelectOld();
    if (!errorMsg.empty())
        UIAlertViewQN::setMsg(errorMsg)->show();
}
