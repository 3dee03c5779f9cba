#include "tests/rooms/RoomFloorFixture.h"

#include "kit/ProgressHUD.h"
#include "ordering/OrderedFoodViewController.h"
#include "scan/SubScanViewController.h"
#include "session/LinkWatchdog.h"
#include "tests/scan/ScanTestCamera.h"

namespace {

// The staff password (1122 is the acting clerk 8805's, 1357 clerk 8802's), the code the scanner
// reads (none: no scanner), the order paid by code (empty: none), the alert that ends it, and the
// venue's answer to that order: as shipped ("2", the guest still to pay), paid, none, or no link;
// and how many refusals nobody asked for the venue sends while the code is being read.
enum class Answer { Pending, Paid, Silence, NoLink };
struct BasketRow {
    const char *name, *password, *scanned, *request, *alert;
    Answer answer = Answer::Pending;
    std::size_t unaskedRefusals = 0;
};
const char* const kPaidBy8805 = "request 168 fields=[A01|8805|1122|1|1101|威士忌（12年）||2|N|加冰|280012345678901234]";
const BasketRow kBasketRows[] = {
    {"PaidByCode", "1122", "280012345678901234", kPaidBy8805, "等待顾客支付"},
    {"AnotherClerksPassword", "1357", "280012345678901234",
     "request 168 fields=[A01|8802|1357|1|1101|威士忌（12年）||2|N|加冰|280012345678901234]", "等待顾客支付"},
    {"PaidAtOnce", "1122", "280012345678901234", kPaidBy8805, "支付成功", Answer::Paid},
    {"ServerSilent", "1122", "280012345678901234", kPaidBy8805, "网络连接已断开，支付结果未知，请核实后再操作",
     Answer::Silence},
    {"PaidAmidRefusals", "1122", "280012345678901234", kPaidBy8805, "支付成功", Answer::Paid, 6},
    {"ServerSilentAmidRefusals", "1122", "280012345678901234", kPaidBy8805,
     "网络连接已断开，支付结果未知，请核实后再操作", Answer::Silence, 6},
    {"LinkGoneBeforeOrder", "1122", "280012345678901234", "", "网络未连接，支付请求未发出", Answer::NoLink},
    {"WrongPassword", "9999", nullptr, "", "密码错误，查无此员工"},
    {"NothingRead", "1122", "", "", "(no alert)"},
    {"LineBreakInCode", "1122", "2800\n12", "", "付款码无效"},
};
// Printed by name in test listings and failures.
inline void PrintTo(const BasketRow& row, std::ostream* out) { *out << row.name; }

class OrderBasketPaymentTest : public RoomFloorTest, public ::testing::WithParamInterface<BasketRow> {};

} // namespace

TEST_P(OrderBasketPaymentTest, StaffPasswordScanAndOrder)
{
    const BasketRow& row = GetParam();
    ScanTestCamera camera({qrFrame(row.scanned && *row.scanned ? row.scanned : "-")});
    camera.hold(); // until the scanner's picture is taken
    auto basket = showRoomScreen<OrderedFoodViewController>();
    if (row.answer == Answer::Paid || row.answer == Answer::Silence)
        server->onServer([paid = row.answer == Answer::Paid](VenueServer& venue) {
            venue.commands().add(168, [paid](const VenueRequest&) {
                return paid ? std::optional<ReplyBuilder>(ReplyBuilder(168, "0", "支付成功").line("NO1")) : std::nullopt;
            });
        });
    SocketDataHandle::sharedInstance().getTmpSelectFood().foodSetArray = {std::make_shared<OKFolioObject>(
        OKFolioObject {.FoodNo = "1101", .FoodName = "威士忌（12年）", .Flag = "N", .Quantity = "2", .Note = "加冰"})};

    basket->netPayAction("微信扫码支付");
    EXPECT_EQ(answerKeypad(row.password), "请输入密码");
    std::shared_ptr<SubScanViewController> scanner;
    EXPECT_EQ(advanceUntil([&] { return (scanner = basket->scanner().scanner()) != nullptr; }), row.scanned != nullptr);
    if (scanner) {
        EXPECT_EQ(scanner->topTitleValue, "微信扫码支付");
        if (row.answer == Answer::NoLink)
            ServerNetworkCenter::resetForTesting(); // a link that was never started again
        ASSERT_TRUE(advanceUntil([&] { return camera.hasShownAFrame(); }));
        keepScreenPicture(std::string("ordering-basket-scan-screen-") + row.name);
        for (std::size_t i = 0; i < row.unaskedRefusals; ++i)
            DataCenter::sharedInstance().forwardNoticeCode("tcpMsg", "000000\r\n99\r\n1\r\n工号无效" + std::to_string(i));
        camera.release();
        if (!*row.scanned)
            basket->scanResult(""); // a delivery with nothing read
        ASSERT_TRUE(advanceUntil([&] { return !basket->scanner().isWaiting(); }));
        EXPECT_EQ(basket->HUD() != nullptr, *row.request != '\0'); // up while the payment goes out
        EXPECT_TRUE(advanceUntil([&] { return ScreenInFront::visibleController() == basket; }));
        if (row.answer == Answer::Silence && waitForLog("request 168")) // the unanswered link is cut
            advance(LinkWatchdog::kUnanswered + 1);
    }
    EXPECT_TRUE(advanceUntil([&] { return alertMessage() == row.alert; })) << alertMessage();
    keepScreenPicture(std::string("ordering-basket-payment-") + row.name);
    EXPECT_EQ(logged("request 168"), *row.request ? 1u : 0u);
    EXPECT_TRUE(!*row.request || logged(row.request) == 1);
    EXPECT_FALSE(basket->HUD());
    EXPECT_EQ(SocketDataHandle::sharedInstance().getTmpSelectFood().foodSetArray.size(), row.answer == Answer::Paid ? 0u : 1u);
    EXPECT_EQ(UIApplication::sharedApplication().unaskedAlertCount(), row.unaskedRefusals);
    EXPECT_EQ(DataCenter::sharedInstance().awaitedReplies.waiting(168), 0u);
}

INSTANTIATE_TEST_SUITE_P(Basket, OrderBasketPaymentTest, ::testing::ValuesIn(kBasketRows),
                         [](const auto& row) { return std::string(row.param.name); });
