#pragma once

#include "kit/KeypadAlertViewDelegate.h"
#include "rooms/RoomSceneViewController.h"
#include "rooms/ScannerSession.h"
#include "scan/ScanResultDelegate.h"

#include <memory>
#include <string>

class ProgressHUD;

// The room's order basket, paid at once by a guest's mobile-payment code: a staff password,
// checked by the server, opens the scanner, and the code read goes out with the basket's lines.
class OrderedFoodViewController : public RoomSceneViewController,
                                  public KeypadAlertViewDelegate,
                                  public ScanResultDelegate {
public:
    static constexpr int PasswordTag = 102;

    OrderedFoodViewController() : RoomSceneViewController("OrderedFoodViewController", "已点菜品", "返回") {}

    void viewDidLoad() override;

    // Asks for the staff password, then scans with that title ("微信扫码支付" or "支付宝扫码支付").
    void netPayAction(const std::string& title);
    void scanResult(const std::string& text) override;
    void customAlertViewClick(std::int64_t tag, bool isOk, const std::string& input, std::int32_t curCmd) override;

    void socketDataHandleDidGetClerkInfo(const ResultDictionary& info) override;
    bool socketDataHandleServerConnect(SocketDataHandle& handle, bool connected) override;
    void socketDataHandleDidConfirmInputFoodNetPay(const std::string& code, const std::string& errorMsg,
                                                   const std::string& orderNo) override;

    const ScannerSession& scanner() const { return m_scanner; }
    const std::shared_ptr<ProgressHUD>& HUD() const { return m_HUD; }

private:
    // The payment is no longer awaited: the indicator goes, and the screen is usable again.
    void endPaymentWait();

    ScannerSession m_scanner;
    std::string m_payTitle;
    std::string m_staffPassword;
    std::shared_ptr<ProgressHUD> m_HUD;
};
