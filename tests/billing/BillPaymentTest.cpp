#include "tests/rooms/RoomFloorFixture.h"

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

class BillPaymentTest : public RoomFloorTest, public ::testing::WithParamInterface<PayRow> {};
class MemberCardPanelTest : public RoomFloorTest {};

} // namespace

TEST_P(BillPaymentTest, PayWayToSettlement)
{
    const PayRow& row = GetParam();
    startServer({}, "1");
    auto bill = showRoomScreen<BillViewController>("A01");
    bill->payAction(row.way);
    EXPECT_EQ(bill->scanner().isWaiting(), row.scannerTitle != nullptr);
    if (row.scannerTitle) {
        EXPECT_EQ(bill->scanner().title(), row.scannerTitle);
        EXPECT_EQ(bill->scanner().isVipCard(), row.way == BillViewController::VipCard);
        bill->scanResult(*row.scanned);
        bill->scanResult(*row.scanned); // delivered again
    }
    const auto prompt = answerKeypad("1122");
    EXPECT_EQ(prompt.has_value(), *row.request != '\0');
    if (*row.request) {
        EXPECT_EQ(*prompt, "请输入落单密码");
        EXPECT_TRUE(waitForLog(row.request));
        EXPECT_FALSE(bill->scanner().isWaiting());
    } else {
        // A refused code leaves the scanner waiting for another; nothing read closes it.
        EXPECT_EQ(bill->scanner().isWaiting(), *row.alert != '\0');
    }
    if (*row.alert) {
        EXPECT_TRUE(advanceUntil([&] { return alertMessage() == row.alert; })) << alertMessage();
    }
    advance(0.2);
    EXPECT_EQ(logged("request 171"), *row.request ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Ways, BillPaymentTest, ::testing::ValuesIn(kPayRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(MemberCardPanelTest, ChecksItsFieldsThenSettlesByCard)
{
    startServer({}, "1");
    auto bill = showRoomScreen<BillViewController>("A01");
    bill->payAction(BillViewController::VipCard);
    const std::pair<std::function<void()>, const char*> refusals[] = {
        {[&] { bill->sendVipPwByCardNo(""); }, "会员卡号不能为空"},
        {[&] { bill->confirmVipPwPay("843950", ""); }, "会员卡号不能为空"},
        {[&] { bill->confirmVipPwPay("", "VIP843950"); }, "支付密码不能为空"},
    };
    for (const auto& [action, message] : refusals) {
        action();
        EXPECT_EQ(alertMessage(), message);
        UIApplication::sharedApplication().topAlert()->tapButtonAtIndex(0);
    }
    EXPECT_FALSE(keypad());

    bill->sendVipPwByCardNo("VIP843950");
    EXPECT_TRUE(waitForLog("request 159 fields=[VIP843950]"));
    EXPECT_TRUE(advanceUntil([] { return alertMessage() == "动态密码已发送"; }));
    EXPECT_TRUE(bill->scanner().isWaiting()); // the panel stays for the password
    UIApplication::sharedApplication().topAlert()->tapButtonAtIndex(0);

    bill->confirmVipPwPay("843950", "VIP843950");
    EXPECT_EQ(answerKeypad("1122"), "请输入落单密码");
    EXPECT_TRUE(waitForLog("request 171 fields=[A01|8805|1122|0||VIP843950|843950]"));
    EXPECT_TRUE(advanceUntil([] { return alertMessage() == "结账成功"; })) << alertMessage();
    EXPECT_EQ(logged("request 159"), 1u);
}
