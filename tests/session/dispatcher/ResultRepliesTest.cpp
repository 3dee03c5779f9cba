#include "tests/session/dispatcher/DispatcherTestSupport.h"

#include "platform/foundation/UserDefaults.h"

namespace {

using Lines = std::vector<std::string>;

// A reply, the one callback it reaches, and the dictionary, outcome and texts it is given.
struct ReplyRow {
    int command;
    Lines lines;
    const char* callback;
    ResultDictionary dictionary;
    bool success = false;
    std::string text = "", text2 = "", text3 = "";
};

// A payment code without its lines is a failure with the provider's message; a download address
// that is no URL reaches the receiver as none ("(nil)").
const ReplyRow kReplyRows[] = {
    {96, {"0", "已带位"}, "cmdResult", {}, true, "已带位"},
    {97, {"1", "房台状态不允许"}, "cmdResult", {}, false, "房台状态不允许"},
    {110, {"1", "已结账"}, "cmdResult", {}, false, "已结账"},
    {162, {"0", "已清台"}, "cmdResult", {}, true, "已清台"},
    {160, {"0", "ignored"}, "vipConsumeOfHall", {}, true, ""},
    {157, {"2", "未完成"}, "payMoneyOfHall", {}, false, "未完成"},
    {201, {"0", "x"}, "scanResumeWine", {}, true, ""},
    {211, {"1", "失败"}, "deleteRequestStore", {}, false, "失败"},
    {212, {"0", "x"}, "improveStore", {}, true, ""},
    {182, {"0", "ignored", "0001", "欢乐时光KTV"}, "changSuoID", {}, true, "", "0001", "欢乐时光KTV"},
    {182, {"1", "未授权", "0001"}, "changSuoID", {}, false, "未授权"},
    {202, {"0"}, "aliPayErCode", {}, false, "请求支付宝二维码错误!"},
    {202, {"0", "", "ORD1"}, "aliPayErCode", {}, false, "请求支付宝二维码错误!"},
    {202, {"0", "", "ORD1", "qr-text"}, "aliPayErCode", {}, true, "", "ORD1", "qr-text"},
    {204, {"1", "商户错误", "ORD1", "qr"}, "wxPayErCode", {}, false, "商户错误"},
    {204, {"0", ""}, "wxPayErCode", {}, false, "请求微信二维码错误!"},
    {203, {"1"}, "aliPayState", {}, false, ""},
    {205, {}, "wxPayState", {}, false, ""},
    {205, {"0"}, "wxPayState", {}, true, ""},
    {168, {}, "confirmInputFoodNetPay", {}, false, ""},
    {168, {"2"}, "confirmInputFoodNetPay", {}, false, "2"},
    {168, {"2", "待支付", "NO123"}, "confirmInputFoodNetPay", {}, false, "2", "待支付", "NO123"},
    {3, {"7", "http://127.0.0.1/db.zip"}, "DbExist", {}, false, ""},
    {3, {"8", "http://127.0.0.1/db.zip"}, "UpdateDB", {}, false, "http://127.0.0.1/db.zip", "8"},
    {3, {"9", "not a url"}, "UpdateDB", {}, false, "(nil)", "9"},
    {3, {"9", "http://127.0.0.1/%zz"}, "UpdateDB", {}, false, "(nil)", "9"},
    {3, {"9", ""}, "UpdateDB", {}, false, "(nil)", "9"},
    {3, {"9", "http://127.0.0.1:8080/db.zip?v=9#a"}, "UpdateDB", {}, false,
     "http://127.0.0.1:8080/db.zip?v=9#a", "9"},
    {140, {"0", "", "M1", "open"}, "master",
     {{"ErrorCode", "0"}, {"ErrorMsg", ""}, {"MasterID", "M1"}, {"MasterState", "open"}}},
    {140, {"1", "无账单", "M1", "open"}, "master", {{"ErrorCode", "1"}, {"ErrorMsg", "无账单"}}},
    // Short: missing lines read as empty text.
    {140, {"0"}, "master",
     {{"ErrorCode", "0"}, {"ErrorMsg", ""}, {"MasterID", ""}, {"MasterState", ""}}},
    {159, {"0", "", "V1", "王五"}, "vipSendPassWord",
     {{"ErrorCode", "0"}, {"ErrorMsg", ""}, {"VipID", "V1"}, {"VipGuestName", "王五"}}},
    {127, {"0", "", "VM1", "x5", "正常", "x7", "x8", "赵六", "x10", "x11", "500.00"}, "vipInfo",
     {{"ErrorCode", "0"}, {"ErrorMsg", ""}, {"VIPMasterID", "VM1"}, {"VipState", "正常"},
      {"GuestName", "赵六"}, {"Balance", "500.00"}}},
    {210, {"0", "", "0", "SW1", "img", "nick", "wx"}, "wxRequestStore",
     {{"ErrorCode", "0"}, {"ErrorMsg", ""}, {"DataCount", "0"}}},
    {210, {"2", "", "1", "SW1", "img", "nick", "wx"}, "wxRequestStore",
     {{"ErrorCode", "2"}, {"ErrorMsg", ""}, {"DataCount", "1"}, {"SW_ID", "SW1"},
      {"SW_FoodImageName", "img"}, {"SWM_GuestName", "nick"}, {"SWM_WXUserID", "wx"}}},
    {210, {"1", "无请求", "1", "SW1"}, "wxRequestStore",
     {{"ErrorCode", "1"}, {"ErrorMsg", "无请求"}, {"DataCount", "1"}}},
    {213, {"0", "", "孙七", "13800000000"}, "storeWineMain",
     {{"ErrorCode", "0"}, {"ErrorMsg", ""}, {"guestName", "孙七"}, {"guestPhone", "13800000000"}}},
    {102, {"0", "", "8801", "张三"}, "clerkInfo",
     {{"ErrorCode", "0"}, {"ErrorMsg", ""}, {"ClerkNo", "8801"}, {"ClerkName", "张三"}}},
    {102, {"1", "密码错误", "8801", "张三"}, "clerkInfo", {{"ErrorCode", "1"}, {"ErrorMsg", "密码错误"}}},
    // A success naming no clerk is a refusal.
    {102, {"0", "", "8801"}, "clerkInfo", {{"ErrorCode", "1"}, {"ErrorMsg", "未取得员工信息"}}},
    {102, {"0", "", "", "张三"}, "clerkInfo", {{"ErrorCode", "1"}, {"ErrorMsg", "未取得员工信息"}}},
};

} // namespace

TEST_F(DispatcherTest, RepliesReachTheirOneCallback)
{
    UserDefaults::standard().registerDefaults({{"dbVersion", "7"}});
    for (const auto& row : kReplyRows) {
        SCOPED_TRACE(std::to_string(row.command) + " " + ::testing::PrintToString(row.lines));
        auto fresh = std::make_shared<RecordingReceiver>();
        handle().setDelegate(fresh);
        deliver(row.command, row.lines);
        EXPECT_EQ(fresh->calls, (Lines {row.callback}));
        EXPECT_EQ(fresh->dictionary, row.dictionary);
        EXPECT_EQ(std::tie(fresh->flag, fresh->text, fresh->text2, fresh->text3),
                  std::tie(row.success, row.text, row.text2, row.text3));
    }
    EXPECT_TRUE(log.contains("请求微信支付状态错误!"));
    EXPECT_EQ(session().clerkNo, ""); // clerk information logs nobody in
}

TEST_F(DispatcherTest, BindingAndBillRepliesPassTheirLinesWhole)
{
    const std::pair<int, const char*> replies[] = {
        {100, "boundClient"}, {109, "bill"}, {171, "billConfirmNetPay"}};
    for (const auto& [command, callback] : replies) {
        const auto text = replyText(command, {"2", "待支付", "NO9"});
        deliver(text);
        EXPECT_EQ(calls().back(), callback);
        EXPECT_EQ(receiver->lines, ReplyLines(text).lines());
        EXPECT_EQ(receiver->lines.at(4), "NO9");
    }
}
