#include "tests/session/dispatcher/DispatcherTestSupport.h"

#include <tuple>

#include "platform/foundation/UserDefaults.h"
#include "session/records/SelectedStoreWineFoodObject.h"

namespace {
std::vector<std::string> withRecords(std::vector<std::string> head, std::size_t count, std::size_t stride)
{
    for (std::size_t r = 0; r < count; ++r)
        for (std::size_t i = 0; i < stride; ++i)
            head.push_back(std::to_string(r) + ":" + std::to_string(i));
    return head;
}
} // namespace

TEST_F(DispatcherTest, BillRepliesInTheirArgumentForms)
{
    const auto bill = replyText(109, {"0", "", "booker"});
    deliver(bill);
    EXPECT_EQ(receiver->lines, ReplyLines(bill).lines());
    EXPECT_EQ(receiver->lines[1], "109");
    deliver(171, {"2", "待支付", "NO9"});
    EXPECT_EQ(calls().back(), "billConfirmNetPay");
    EXPECT_EQ(receiver->lines[4], "NO9");

    deliver(140, {"0", "", "M1", "open"});
    EXPECT_EQ(receiver->dictionary,
              (ResultDictionary {{"ErrorCode", "0"}, {"ErrorMsg", ""}, {"MasterID", "M1"}, {"MasterState", "open"}}));
    deliver(140, {"1", "无账单", "M1", "open"});
    EXPECT_EQ(receiver->dictionary, (ResultDictionary {{"ErrorCode", "1"}, {"ErrorMsg", "无账单"}}));
    deliver(159, {"0", "", "V1", "王五"});
    EXPECT_EQ(receiver->dictionary.at("VipGuestName"), "王五");
    deliver(140, {"0"}); // short: missing lines read as empty text
    EXPECT_EQ(receiver->dictionary.at("MasterID"), "");

    deliver(157, {"0", "text"});
    EXPECT_TRUE(receiver->flag);
    EXPECT_EQ(receiver->text, "");
    deliver(157, {"2", "未完成"});
    EXPECT_FALSE(receiver->flag);
    EXPECT_EQ(receiver->text, "未完成");
}

TEST_F(DispatcherTest, UnsettledFolioLines)
{
    auto lines = withRecords({"1", "", "100.00", "M7", "x"}, 2, 13);
    lines.resize(lines.size() - 3);
    deliver(156, lines);
    EXPECT_EQ(receiver->folio.PayedMoney, "100.00");
    EXPECT_EQ(receiver->folio.MasterID, "M7");
    ASSERT_EQ(receiver->folio.DataDetail.size(), 1u);
    const auto& line = *receiver->folio.DataDetail[0];
    EXPECT_EQ(line.FolioID, "0:0");
    EXPECT_EQ(line.GroupID, "0:7");
    EXPECT_EQ(line.Str05, "0:12");
    EXPECT_FALSE(line.isSelected);
    EXPECT_FALSE(line.SetNote);
    deliver(156, {"0", "", "0", "M8"});
    EXPECT_TRUE(receiver->folio.DataDetail.empty());
}

TEST_F(DispatcherTest, MemberCardAndPaymentCodes)
{
    std::vector<std::string> vip {"0", "", "VM1", "x5", "正常", "x7", "x8", "赵六", "x10", "x11", "500.00"};
    deliver(127, vip);
    EXPECT_EQ(receiver->dictionary, (ResultDictionary {{"ErrorCode", "0"}, {"ErrorMsg", ""}, {"VIPMasterID", "VM1"},
                                                       {"VipState", "正常"}, {"GuestName", "赵六"}, {"Balance", "500.00"}}));

    auto& basket = handle().getTmpSelectFood();
    basket.foodSetArray = {std::make_shared<OKFolioObject>()};
    deliver(163, {"1", "余额不足"});
    EXPECT_EQ(receiver->text, "余额不足");
    EXPECT_EQ(basket.foodSetArray.size(), 1u);
    receiver.reset();
    deliver(163, {"2", ""});
    EXPECT_TRUE(basket.foodSetArray.empty());
    receiver = std::make_shared<RecordingReceiver>();
    handle().setDelegate(receiver);

    deliver(202, {"0"});
    EXPECT_FALSE(receiver->flag);
    EXPECT_EQ(receiver->text, "请求支付宝二维码错误!");
    deliver(202, {"0", "", "ORD1", "qr-text"});
    EXPECT_TRUE(receiver->flag);
    EXPECT_EQ(receiver->text2, "ORD1");
    EXPECT_EQ(receiver->text3, "qr-text");
    deliver(204, {"1", "商户错误", "ORD1", "qr"});
    EXPECT_FALSE(receiver->flag);
    EXPECT_EQ(receiver->text, "商户错误");
    EXPECT_EQ(receiver->text2, "");

    deliver(205, {});
    EXPECT_FALSE(receiver->flag);
    EXPECT_TRUE(log.contains("请求微信支付状态错误!"));
    deliver(205, {"0"});
    EXPECT_TRUE(receiver->flag);
    deliver(203, {"1"});
    EXPECT_FALSE(receiver->flag);
    EXPECT_EQ(calls().back(), "aliPayState");
}

TEST_F(DispatcherTest, StoreWineReplies)
{
    auto drinks = withRecords({"0", "", "x", "x", "x"}, 2, 8);
    drinks.pop_back(); // the second record lacks its eighth line
    deliver(183, drinks);
    ASSERT_EQ(receiver->drinks.size(), 1u);
    EXPECT_EQ(receiver->drinks[0]->LimitDaysOfOpen, "0:5");
    deliver(183, {"0"});
    EXPECT_TRUE(receiver->drinks.empty());
    EXPECT_EQ(calls().back(), "storeFoodList");

    deliver(210, {"0", "", "0", "SW1", "img", "nick", "wx"});
    EXPECT_EQ(receiver->dictionary, (ResultDictionary {{"ErrorCode", "0"}, {"ErrorMsg", ""}, {"DataCount", "0"}}));
    deliver(210, {"2", "", "1", "SW1", "img", "nick", "wx"});
    EXPECT_EQ(receiver->dictionary.at("SW_ID"), "SW1");
    EXPECT_EQ(receiver->dictionary.at("SWM_WXUserID"), "wx");
    deliver(210, {"1", "无请求", "1", "SW1"});
    EXPECT_EQ(receiver->dictionary.count("SW_ID"), 0u);

    deliver(213, {"0", "", "孙七", "13800000000"});
    EXPECT_EQ(receiver->dictionary.at("guestPhone"), "13800000000");
    for (int command : {201, 211, 212}) {
        deliver(command, {"0", "x"});
        EXPECT_TRUE(receiver->flag);
        EXPECT_EQ(receiver->text, "");
        deliver(command, {"1", "失败"});
        EXPECT_FALSE(receiver->flag);
        EXPECT_EQ(receiver->text, "失败");
    }

    auto whole = SelectedStoreWineFoodObject::wholeBottles("F1", "红酒", 3);
    EXPECT_EQ(whole.requestFields(), (std::vector<std::string> {"F1", "红酒", "0", "3", "0.00"}));
    EXPECT_EQ(whole.foodCount, "3");
    auto opened = SelectedStoreWineFoodObject::openedBottle("F1", "红酒", 0.5);
    EXPECT_EQ(opened.requestFields(), (std::vector<std::string> {"F1", "红酒", "1", "0", "0.50"}));
    EXPECT_EQ(opened.foodCount, "0.50");
}

// A payment code without its lines is a failure with the provider's message; a download address
// that is no URL reaches the receiver as none ("(nil)").
TEST_F(DispatcherTest, RepliesMissingTheirLinesDoNotPassForSuccess)
{
    using Case = std::tuple<int, std::vector<std::string>, std::string>;
    for (const auto& [command, lines, text] : std::vector<Case> {
             {202, {"0", "", "ORD1"}, "请求支付宝二维码错误!"},
             {204, {"0", ""}, "请求微信二维码错误!"},
             {3, {"9", "not a url"}, "(nil)"},
             {3, {"9", "http://127.0.0.1/%zz"}, "(nil)"},
             {3, {"9", ""}, "(nil)"},
             {3, {"9", "http://127.0.0.1:8080/db.zip?v=9#a"}, "http://127.0.0.1:8080/db.zip?v=9#a"}}) {
        deliver(command, lines);
        EXPECT_EQ(receiver->text, text) << command;
    }
}

TEST_F(DispatcherTest, RoomEquipmentState)
{
    UserDefaults::standard().registerDefaults({{"dbVersion", "7"}});
    deliver(3, {"7", "http://127.0.0.1/db.zip"});
    EXPECT_EQ(calls().back(), "DbExist");
    deliver(3, {"8", "http://127.0.0.1/db.zip"});
    EXPECT_EQ(calls().back(), "UpdateDB");
    EXPECT_EQ(receiver->text, "http://127.0.0.1/db.zip");
    EXPECT_EQ(receiver->text2, "8");

    deliver(10, {"1"});
    deliver(15, {"35"});
    deliver(17, {"1"});
    deliver(20, {});
    EXPECT_TRUE(handle().isPlaying);
    EXPECT_EQ(handle().currentVol, 35);
    EXPECT_TRUE(handle().isMute);
    EXPECT_TRUE(handle().isOriginalMusic);
    deliver(19, {});
    EXPECT_FALSE(handle().isOriginalMusic);

    auto& lights = TiaoGuangStateObject::sharedInstance();
    deliver(31, {"7", "4"});
    EXPECT_EQ(lights.CurrentMode(), "K歌");
    deliver(31, {"7", "9"});
    EXPECT_EQ(lights.CurrentMode(), "K歌");
    EXPECT_EQ(lights.currentModeValue, 9);
    deliver(31, {"22", "80"});
    EXPECT_EQ(lights.lineValues[11], "80");
    deliver(31, {"30", "主灯;射灯;灯带"});
    EXPECT_EQ(lights.names, (std::vector<std::string> {"主灯", "射灯", "灯带"}));
    const auto before = calls().size();
    deliver(31, {"0", "C"});
    deliver(31, {"1", "B"});
    EXPECT_EQ(calls().size(), before);
    deliver(31, {"9", "x"});
    EXPECT_EQ(calls().back(), "dengGuang");

    deliver(33, {"3", "x"});
    EXPECT_EQ(calls().back(), "tiaoYin");
    deliver(33, {"5", "100", "80", "60"});
    EXPECT_FLOAT_EQ(handle().volMax, 100.0f);
    EXPECT_FLOAT_EQ(handle().effMax, 60.0f);

    deliver(77, {"1", "CCTV", "01", "2", "湖南", "02"});
    ASSERT_EQ(receiver->channels.size(), 2u);
    EXPECT_EQ(receiver->channels[1]->name, "湖南");
    deliver(77, {"1", "CCTV", "01", "2", "湖南"}); // an incomplete triple is dropped
    EXPECT_EQ(receiver->channels.size(), 1u);
    const auto beforeEmpty = calls().size();
    deliver(77, {});
    deliver(78, {"anything"});
    EXPECT_EQ(calls().size(), beforeEmpty);
}

TEST_F(DispatcherTest, RoomReport)
{
    deliver(75, {"1"});
    EXPECT_EQ(calls().back(), "roomReport");
    EXPECT_FALSE(receiver->report);
    std::vector<std::string> lines {"0", ""};
    for (int i = 4; i <= 49; ++i)
        lines.push_back(std::to_string(i));
    lines[13 - 2] = "x"; // a rating that is no number reads 0
    deliver(75, lines);
    ASSERT_TRUE(receiver->report);
    const auto& report = *receiver->report;
    EXPECT_EQ(report.reportID, 4);
    EXPECT_EQ(report.YinXiangZhiLiang, 5);
    EXPECT_EQ(report.YinXiangShiPinBeiZhu, "12");
    EXPECT_EQ(report.IPADXingHao, 0);
    EXPECT_EQ(report.WangLuoXiaoGuoBeiZhu, "15");
    EXPECT_EQ(report.KongTiaoXiaoGuoBeiZhu, "22");
    EXPECT_EQ(report.XiShouJianWeiSheng, 32);
    EXPECT_EQ(report.YeWuBuBeiZhu, "45");
    EXPECT_EQ(report.DaiFangHuoYueQiFenCiShu, 48);
    EXPECT_EQ(report.QiTaBeiZhu, "49");
    auto kept = receiver->report;
    deliver(75, {"0", "", "9"}); // short: what is there is read, the rest keeps its initial value
    EXPECT_NE(receiver->report, kept);
    EXPECT_EQ(receiver->report->reportID, 9);
    EXPECT_EQ(receiver->report->YinXiangZhiLiang, 1);
    EXPECT_EQ(kept->reportID, 4);

    deliver(76, {"1"});
    EXPECT_NE(calls().back(), "saveRoomReport");
    deliver(76, {"0"});
    EXPECT_EQ(calls().back(), "saveRoomReport");
}
