#include "tests/rooms/RoomFloorFixture.h"

#include "scan/SubScanViewController.h"
#include "tests/scan/ScanTestCamera.h"

namespace {

struct PayRow {
    const char* name;
    int way;
    const char* scannerTitle; // none: no scanner
    std::optional<std::string> scanned;
    const char* request; // the settlement request; empty: none is sent
    const char* alert;   // empty: none
};

void PrintTo(const PayRow& row, std::ostream* out) { *out << row.name; }

// Staff password 1122 is the acting clerk 8805's.
const PayRow kPayRows[] = {
    {"WeChatCode", 1, "微信扫码支付", "280012345678901234", "request 171 fields=[A01|8805|1122|1|280012345678901234||]", "等待顾客支付"},
    {"AliPayCode", 2, "支付宝扫码支付", "289876543210", "request 171 fields=[A01|8805|1122|2|289876543210||]", "等待顾客支付"},
    {"MemberCardCode", 0, "会员支付", "VIP843950", "request 171 fields=[A01|8805|1122|0|VIP843950||]", "会员卡号或密码错误"},
    {"Cash", 3, nullptr, std::nullopt, "request 171 fields=[A01|8805|1122|3|||]", "结账成功"},
    {"BankCard", 4, nullptr, std::nullopt, "request 171 fields=[A01|8805|1122|4|||]", "结账成功"},
    {"NothingRead", 1, "微信扫码支付", "", "", ""},
    {"LineBreakInCode", 2, "支付宝扫码支付", "2800\r\n12", "", "付款码无效"},
};

class BillPaymentTest : public RoomFloorTest, public ::testing::WithParamInterface<PayRow> {
protected:
    std::shared_ptr<SubScanViewController> scannerInFront()
    {
        std::shared_ptr<SubScanViewController> scanner;
        advanceUntil([&] {
            scanner = std::dynamic_pointer_cast<SubScanViewController>(ScreenInFront::visibleController());
            return scanner && scanner->appearance() == UIViewController::Appearance::Appeared;
        });
        return scanner;
    }
};

} // namespace

TEST_P(BillPaymentTest, PayWayToSettlement)
{
    const PayRow& row = GetParam();
    std::optional<ScanTestCamera> camera;
    if (row.scanned && !row.scanned->empty())
        camera.emplace(std::vector<UIImagePtr> {qrFrame(*row.scanned)});
    startServer({}, "1");
    auto bill = showRoomScreen<BillViewController>("A01");
    bill->payAction(row.way);
    if (row.scannerTitle) {
        auto scanner = scannerInFront();
        ASSERT_TRUE(scanner);
        const bool vip = row.way == BillViewController::VipCard;
        EXPECT_EQ(scanner->topTitleValue, row.scannerTitle);
        EXPECT_EQ(scanner->isVipCard, vip);
        EXPECT_EQ(scanner->style()->centerUpOffset, vip ? 200 : 0);
        EXPECT_EQ(scanner->style()->photoframeLineW, vip ? 0 : 10);
        if (row.scanned->empty())
            bill->scanResult(""); // a delivery with nothing read
        ASSERT_TRUE(advanceUntil([&] { return keypad() || UIApplication::sharedApplication().topAlert() || !bill->scanner().isWaiting(); }));
        bill->scanResult(*row.scanned); // delivered again
        // Nothing read or a code taken: the scanner goes. A refused code: it stays for another.
        EXPECT_TRUE(advanceUntil([&] { return (ScreenInFront::visibleController() == scanner) == (*row.alert && !*row.request); }));
    } else {
        EXPECT_FALSE(bill->presentedViewController());
    }
    const auto prompt = answerKeypad("1122");
    EXPECT_EQ(prompt.has_value(), *row.request != '\0');
    if (*row.request) {
        EXPECT_EQ(*prompt, "请输入落单密码");
        EXPECT_TRUE(waitForLog(row.request));
    }
    if (*row.alert) {
        EXPECT_TRUE(advanceUntil([&] { return alertMessage() == row.alert; })) << alertMessage();
    }
    advance(0.2);
    EXPECT_EQ(logged("request 171"), *row.request ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Ways, BillPaymentTest, ::testing::ValuesIn(kPayRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(BillPaymentTest, MemberCardPanelChecksItsFieldsThenSettlesByCard)
{
    startServer({}, "1");
    auto bill = showRoomScreen<BillViewController>("A01");
    bill->payAction(BillViewController::VipCard);
    auto scanner = scannerInFront();
    ASSERT_TRUE(scanner && scanner->txtVipCardNo);
    auto fill = [&](const std::string& cardNo, const std::string& password) {
        scanner->txtVipCardNo->setText(cardNo);
        scanner->txtVipCardPw->setText(password);
    };
    const std::tuple<std::string, std::string, bool, const char*> refusals[] = {
        {"", "", false, "会员卡号不能为空"},
        {"", "843950", true, "会员卡号不能为空"},
        {"VIP843950", "", true, "支付密码不能为空"},
    };
    for (const auto& [cardNo, password, confirm, message] : refusals) {
        fill(cardNo, password);
        confirm ? scanner->btnConfirmVipPay->tap() : scanner->btnSendPw->tap();
        EXPECT_EQ(alertMessage(), message);
        UIApplication::sharedApplication().topAlert()->tapButtonAtIndex(0);
    }
    EXPECT_FALSE(keypad());

    fill("VIP843950", "");
    scanner->btnSendPw->tap();
    EXPECT_TRUE(waitForLog("request 159 fields=[VIP843950]"));
    EXPECT_TRUE(advanceUntil([] { return alertMessage() == "动态密码已发送"; }));
    EXPECT_EQ(ScreenInFront::visibleController(), scanner); // the panel stays for the password
    UIApplication::sharedApplication().topAlert()->tapButtonAtIndex(0);

    fill("VIP843950", "843950");
    scanner->btnConfirmVipPay->tap();
    EXPECT_EQ(answerKeypad("1122"), "请输入落单密码");
    EXPECT_TRUE(waitForLog("request 171 fields=[A01|8805|1122|0||VIP843950|843950]"));
    EXPECT_TRUE(advanceUntil([] { return alertMessage() == "结账成功"; })) << alertMessage();
    EXPECT_EQ(logged("request 159"), 1u);
    EXPECT_FALSE(bill->presentedViewController());
}
