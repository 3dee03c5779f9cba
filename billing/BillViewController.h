#pragma once

#include "kit/KeypadAlertViewDelegate.h"
#include "rooms/RoomSceneViewController.h"
#include "rooms/ScannerSession.h"
#include "session/VenueCommand.h"
#include "scan/ScanResultDelegate.h"

#include <string>

// The bill of a room, opened from the room floor, and its settlement: by member card, by a
// guest's code of either mobile payment (both read with the scanner), in cash or by bank card.
// Every way ends with the order password, then the settlement request.
class BillViewController : public RoomSceneViewController,
                           public KeypadAlertViewDelegate,
                           public ScanResultDelegate {
public:
    // The ways of payment, as the settlement request carries them.
    enum PayWay { VipCard = 0, WeChat = 1, AliPay = 2, Cash = 3, BankCard = 4 };
    static constexpr int SettleCommand = commandNumber(VenueCommand::BillNetPay);

    BillViewController() : RoomSceneViewController("BillViewController", "查看账单", "返回") {}

    void viewDidLoad() override;

    // The pay action for one way: the three scanning ways open the scanner first.
    void payAction(int payWay);
    void scanResult(const std::string& text) override;
    void sendVipPwByCardNo(const std::string& cardNo) override;
    void confirmVipPwPay(const std::string& password, const std::string& cardNo) override;
    void customAlertViewClick(std::int64_t tag, bool isOk, const std::string& input, std::int32_t curCmd) override;

    void socketDataHandleDidVipSendPassWord(const ResultDictionary& result) override;
    void socketDataHandleDidGetBillConfirmNetPay(const ReplyLineList& lines) override;

    const ScannerSession& scanner() const { return m_scanner; }

private:
    // The settlement step: the scanner goes, and the order password is asked for.
    void settle(const std::string& payCode, const std::string& cardNo, const std::string& cardPassword);

    ScannerSession m_scanner;
    int m_payWay = Cash;
    std::string m_payCode;
    std::string m_cardNo;
    std::string m_cardPassword;
};

void registerBillingInterfaceClasses();
