#pragma once

#include <string>

// How the scan screen hands over what it read. Only scanResult is required; a presenter that
// shows the member-card panel also answers its two buttons.
class ScanResultDelegate {
public:
    virtual ~ScanResultDelegate() = default;
    // The text of the first code read.
    virtual void scanResult(const std::string& text) = 0;
    // "发送密码": the card-number field's text, possibly empty.
    virtual void sendVipPwByCardNo(const std::string& /*cardNo*/) {}
    // "确认支付": the password field's text, then the card-number field's.
    virtual void confirmVipPwPay(const std::string& /*password*/, const std::string& /*cardNo*/) {}
};
