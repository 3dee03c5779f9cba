#include "tests/rooms/RoomFloorFixture.h"

#include "kit/ProgressHUD.h"
#include "ordering/OrderedFoodViewController.h"
#include "scan/SubScanViewController.h"
#include "tests/scan/ScanTestCamera.h"

namespace {

struct BasketRow {
    const char* name;
    const char* password; // 1122 is the acting clerk 8805's
    std::optional<std::string> scanned; // none: the password opens no scanner
    const char* request;  // the order paid by code; empty: none is sent
    const char* alert;
};

void PrintTo(const BasketRow& row, std::ostream* out) { *out << row.name; }

const BasketRow kBasketRows[] = {
    {"PaidByCode", "1122", "280012345678901234",
     "request 168 fields=[A01|8805|1122|1|1101|威士忌（12年）||2|N|加冰|280012345678901234]", "等待顾客支付"},
    {"WrongPassword", "9999", std::nullopt, "", "密码错误"},
    {"NothingRead", "1122", "", "", ""},
    {"LineBreakInCode", "1122", "2800\n12", "", "付款码无效"},
};

class OrderBasketPaymentTest : public RoomFloorTest, public ::testing::WithParamInterface<BasketRow> {};

} // namespace

TEST_P(OrderBasketPaymentTest, StaffPasswordScanAndOrder)
{
    const BasketRow& row = GetParam();
    std::optional<ScanTestCamera> camera;
    if (row.scanned && !row.scanned->empty())
        camera.emplace(std::vector<UIImagePtr> {qrFrame(*row.scanned)});
    startServer({}, "1");
    auto basket = showRoomScreen<OrderedFoodViewController>("A01");
    auto line = std::make_shared<OKFolioObject>();
    line->FoodNo = "1101";
    line->FoodName = "威士忌（12年）";
    line->Quantity = "2";
    line->Flag = "N";
    line->Note = "加冰";
    SocketDataHandle::sharedInstance().getTmpSelectFood().foodSetArray = {line};

    basket->netPayAction("微信扫码支付");
    EXPECT_EQ(answerKeypad(row.password), "请输入密码");
    EXPECT_TRUE(waitForLog(std::string("request 102 fields=[0|||") + row.password));
    if (row.scanned) {
        std::shared_ptr<SubScanViewController> scanner;
        ASSERT_TRUE(advanceUntil([&] { return (scanner = basket->scanner().scanner()) && ScreenInFront::visibleController() == scanner; }));
        EXPECT_EQ(scanner->topTitleValue, "微信扫码支付");
        EXPECT_FALSE(scanner->isVipCard);
        if (row.scanned->empty())
            basket->scanResult(""); // a delivery with nothing read
        ASSERT_TRUE(advanceUntil([&] { return !basket->scanner().isWaiting(); }));
        // The busy indicator stands while the payment is sent.
        EXPECT_EQ(basket->HUD() != nullptr, *row.request != '\0');
        basket->scanResult(*row.scanned); // delivered again
        EXPECT_TRUE(advanceUntil([&] { return ScreenInFront::visibleController() == basket; }));
    }
    if (*row.request) {
        EXPECT_TRUE(waitForLog(row.request));
    }
    if (*row.alert) {
        EXPECT_TRUE(advanceUntil([&] { return alertMessage().find(row.alert) != std::string::npos; })) << alertMessage();
    }
    advance(0.2);
    EXPECT_EQ(logged("request 168"), *row.request ? 1u : 0u);
    EXPECT_FALSE(basket->HUD());
}

INSTANTIATE_TEST_SUITE_P(Basket, OrderBasketPaymentTest, ::testing::ValuesIn(kBasketRows),
                         [](const auto& row) { return std::string(row.param.name); });
