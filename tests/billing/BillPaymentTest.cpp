#include "tests/rooms/RoomFloorFixture.h"

#include "scan/SubScanViewController.h"
#include "tests/scan/ScanTestCamera.h"

namespace {

// A pay way, the code the scanner reads (none: no scanner), the settlement request (empty: none)
// and the alert that ends it.
struct PayRow { const char *name; int way; const char *scanned, *request, *alert; };

// Staff password 1122 is the acting clerk 8805's.
const PayRow kPayRows[] = {
    {"WeChatCode", 1, "280012345678901234", "request 171 fields=[A01|8805|1122|1|280012345678901234||]", "等待顾客支付"},
    {"AliPayCode", 2, "289876543210", "request 171 fields=[A01|8805|1122|2|289876543210||]", "等待顾客支付"},
    {"MemberCardCode", 0, "VIP843950", "request 171 fields=[A01|8805|1122|0|VIP843950||]", "会员卡号或密码错误"},
    {"Cash", 3, nullptr, "request 171 fields=[A01|8805|1122|3|||]", "结账成功"},
    {"NothingRead", 1, "", "", "(no alert)"},
    {"LineBreakInCode", 2, "2800\r\n12", "", "付款码无效"},
};
// Printed by name in test listings and failures.
inline void PrintTo(const PayRow& row, std::ostream* out) { *out << row.name; }

class BillPaymentTest : public RoomFloorTest, public ::testing::WithParamInterface<PayRow> {
protected:
    // The scanner the bill's pay action opened, if any, once on screen.
    std::shared_ptr<SubScanViewController> pay(int way)
    {
        bill = showRoomScreen<BillViewController>();
        keepScreenPicture("bill");
        bill->payAction(way);
        auto scanner = bill->scanner().scanner();
        advanceUntil([&] { return scanner && scanner->appearance() == UIViewController::Appearance::Appeared; });
        return scanner;
    }
    std::shared_ptr<BillViewController> bill;
};

} // namespace

TEST_P(BillPaymentTest, PayWayToSettlement)
{
    const PayRow& row = GetParam();
    ScanTestCamera camera({qrFrame(row.scanned && *row.scanned ? row.scanned : "-")});
    auto scanner = pay(row.way);
    ASSERT_EQ(scanner != nullptr, row.scanned != nullptr);
    if (scanner) {
        const char* const titles[] = {"会员支付", "微信扫码支付", "支付宝扫码支付"};
        const bool vip = row.way == BillViewController::VipCard;
        EXPECT_EQ(scanner->topTitleValue, titles[row.way]);
        keepScreenPicture(std::string("bill-scan-screen-") + row.name);
        EXPECT_EQ(std::make_tuple(scanner->isVipCard, scanner->style()->centerUpOffset, scanner->style()->photoframeLineW),
                  std::make_tuple(vip, vip ? 200.0 : 0.0, vip ? 0.0 : 10.0));
        if (!*row.scanned)
            bill->scanResult(""); // a delivery with nothing read
        // Nothing read or a code taken: the scanner goes. A refused code: it stays for another.
        EXPECT_TRUE(advanceUntil([&] { return !bill->presentedViewController() == (*row.request || !*row.scanned); }));
    }
    EXPECT_EQ(answerKeypad("1122"), *row.request ? "请输入落单密码" : "none");
    EXPECT_TRUE(advanceUntil([&] { return alertMessage() == row.alert; })) << alertMessage();
    keepScreenPicture(std::string("bill-payment-") + row.name);
    EXPECT_EQ(logged("request 171"), *row.request ? 1u : 0u);
    EXPECT_TRUE(!*row.request || logged(row.request) == 1);
}

INSTANTIATE_TEST_SUITE_P(Ways, BillPaymentTest, ::testing::ValuesIn(kPayRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(BillPaymentTest, MemberCardPanelChecksItsFieldsThenSettlesByCard)
{
    auto scanner = pay(BillViewController::VipCard);
    ASSERT_TRUE(scanner && scanner->txtVipCardNo);
    const std::tuple<const char*, const char*, UIButtonPtr, const char*> steps[] = {
        {"", "", scanner->btnSendPw, "会员卡号不能为空"},
        {"", "843950", scanner->btnConfirmVipPay, "会员卡号不能为空"},
        {"VIP843950", "", scanner->btnConfirmVipPay, "支付密码不能为空"},
        {"VIP843950", "", scanner->btnSendPw, "动态密码已发送"},
        {"VIP843950", "843950", scanner->btnConfirmVipPay, "结账成功"},
    };
    for (const auto& [cardNo, password, button, message] : steps) {
        scanner->txtVipCardNo->setText(cardNo);
        scanner->txtVipCardPw->setText(password);
        button->tap();
        answerKeypad("1122");
        EXPECT_TRUE(advanceUntil([&] { return alertMessage() == message; })) << alertMessage();
        UIApplication::sharedApplication().topAlert()->tapButtonAtIndex(0);
    }
    EXPECT_EQ(logged("request 159 fields=[VIP843950]"), 1u);
    EXPECT_EQ(logged("request 171 fields=[A01|8805|1122|0||VIP843950|843950]"), 1u);
    EXPECT_FALSE(bill->presentedViewController()); // the scanner stayed until the payment
}
