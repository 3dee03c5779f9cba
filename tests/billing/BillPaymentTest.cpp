#include "tests/rooms/RoomFloorFixture.h"

#include "scan/SubScanViewController.h"
#include "tests/scan/ScanTestCamera.h"

namespace {

// A pay way, the code the scanner reads (none: no scanner), the settlement request (empty: none),
// the alert that ends it and whether the bill then closes; the venue answers as shipped, or
// with line 2 and line 3 given here, or without a status line, or the link is down.
enum class Answer { Shipped, Given, NoStatus, NoLink };
struct PayRow { const char *name; int way; const char *scanned, *request, *alert; bool closes = false;
                Answer answer = Answer::Shipped; const char *code = "", *word = ""; };

// Staff password 1122 is the acting clerk 8805's.
const char* const kCash = "request 171 fields=[A01|8805|1122|3|||]";
const char* const kBankCard = "request 171 fields=[A01|8805|1122|4|||]";
const char* const kPending = "等待顾客支付，请核实付款结果后再操作";
const PayRow kPayRows[] = {
    {"WeChatCode", 1, "280012345678901234", "request 171 fields=[A01|8805|1122|1|280012345678901234||]", kPending},
    {"AliPayCode", 2, "289876543210", "request 171 fields=[A01|8805|1122|2|289876543210||]", kPending},
    {"MemberCardCode", 0, "VIP843950", "request 171 fields=[A01|8805|1122|0|VIP843950||]", "会员卡号或密码错误"},
    {"Cash", 3, nullptr, kCash, "结账成功", true},
    {"RefusedWithoutAWord", 3, nullptr, kCash, "结账失败", false, Answer::Given, "1"},
    {"IncompleteBankCard", 4, nullptr, kBankCard, "结账失败", false, Answer::Given, "2"},
    {"PendingWithoutAWord", 1, "2800123", "request 171 fields=[A01|8805|1122|1|2800123||]", kPending, false, Answer::Given, "2"},
    {"SettledWithoutAWord", 4, nullptr, kBankCard, "结账成功", true, Answer::Given, "0"},
    {"SettledWithWordsIsToldPlainly", 3, nullptr, kCash, "结账成功", true, Answer::Given, "9", "已结账，收款300元"},
    {"IncompleteMemberCard", 0, "VIP843950", "request 171 fields=[A01|8805|1122|0|VIP843950||]", "余额不足", false,
     Answer::Given, "2", "余额不足"},
    {"NoStatusLine", 3, nullptr, kCash, "结账失败", false, Answer::NoStatus},
    {"LinkDown", 3, nullptr, "", "网络未连接，支付请求未发出", false, Answer::NoLink},
    {"NothingRead", 1, "", "", "(no alert)"},
    {"LineBreakInCode", 2, "2800\r\n12", "", "付款码无效"},
};
// Printed by name in test listings and failures.
inline void PrintTo(const PayRow& row, std::ostream* out) { *out << row.name; }

class BillPaymentTest : public RoomFloorTest, public ::testing::WithParamInterface<PayRow> {
protected:
    // The scanner the bill's pay action opened, if any, once on screen. The bill is over a
    // screen, as over the floor, so that it can close.
    std::shared_ptr<SubScanViewController> pay(int way)
    {
        bill = std::make_shared<BillViewController>();
        showRoomScreen<UIViewController>()->presentViewController(bill, false);
        EXPECT_TRUE(advanceUntil([&] { return bill->appearance() == UIViewController::Appearance::Appeared; }));
        keepScreenPicture("bill");
        bill->payAction(way);
        auto scanner = bill->scanner().scanner();
        advanceUntil([&] { return !scanner || scanner->appearance() == UIViewController::Appearance::Appeared; });
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
    if (row.answer == Answer::Given || row.answer == Answer::NoStatus)
        server->onServer([row](VenueServer& venue) {
            venue.commands().add(171, [row](const VenueRequest&) {
                return std::optional(row.answer == Answer::NoStatus ? ReplyBuilder::withoutStatus(171) : ReplyBuilder(171, row.code, row.word));
            });
        });
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
    if (row.answer == Answer::NoLink)
        ServerNetworkCenter::resetForTesting(); // a link that was never started again
    EXPECT_EQ(answerKeypad("1122"), *row.request || row.answer == Answer::NoLink ? "请输入落单密码" : "none");
    EXPECT_TRUE(advanceUntil([&] { return alertMessage() == row.alert; })) << alertMessage();
    keepScreenPicture(std::string("bill-payment-") + row.name);
    EXPECT_EQ(logged("request 171"), *row.request ? 1u : 0u);
    EXPECT_TRUE(!*row.request || logged(row.request) == 1);
    EXPECT_EQ(!bill->presentingViewController(), row.closes);
}

INSTANTIATE_TEST_SUITE_P(Ways, BillPaymentTest, ::testing::ValuesIn(kPayRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(BillPaymentTest, MemberCardPanelChecksItsFieldsThenSettlesByCard)
{
    auto scanner = pay(BillViewController::VipCard);
    ASSERT_TRUE(scanner && scanner->txtVipCardNo);
    ServerNetworkCenter::resetForTesting(); // no link until after the first step
    const std::tuple<const char*, const char*, UIButtonPtr, const char*> steps[] = {
        {"VIP843950", "", scanner->btnSendPw, "网络未连接，支付请求未发出"},
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
        ASSERT_TRUE(advanceUntil([&] { return alertMessage() == message; })) << alertMessage();
        UIApplication::sharedApplication().topAlert()->tapButtonAtIndex(0);
        if (!ServerNetworkCenter::sharedInstance().mainSocket())
            ServerNetworkCenter::sharedInstance().initConnect();
    }
    EXPECT_EQ(logged("request 159 fields=[VIP843950]"), 1u);
    EXPECT_EQ(logged("request 171 fields=[A01|8805|1122|0||VIP843950|843950]"), 1u);
    EXPECT_FALSE(bill->presentedViewController()); // the scanner stayed until the payment
}

// The venue's answer to the dynamic password, told to the clerk in its words or, with none, plainly.
TEST_F(BillPaymentTest, DynamicPasswordAnswerIsAlwaysTold)
{
    auto scanner = pay(BillViewController::VipCard);
    ASSERT_TRUE(scanner && scanner->txtVipCardNo);
    for (const auto& [code, word, message] : {std::tuple {"1", "", "动态密码发送失败"}, {"0", "", "动态密码已发送"},
                                              {"1", "会员卡已冻结", "会员卡已冻结"}}) {
        server->onServer([code = code, word = word](VenueServer& venue) {
            venue.commands().add(159, [=](const VenueRequest&) { return std::optional(ReplyBuilder(159, code, word)); });
        });
        scanner->txtVipCardNo->setText("VIP843950");
        scanner->btnSendPw->tap();
        ASSERT_TRUE(advanceUntil([&] { return alertMessage() == message; })) << code << ": " << alertMessage();
        UIApplication::sharedApplication().topAlert()->tapButtonAtIndex(0);
    }
}
