#include "tests/session/dispatcher/DispatcherTestSupport.h"

#include "session/records/SelectedStoreWineFoodObject.h"

#include <tuple>

TEST_F(DispatcherTest, UnsettledFolioLines)
{
    auto lines = concat({"1", "", "100.00", "M7", "x"}, records(2, 13, ""));
    lines.resize(lines.size() - 3);
    deliver(156, lines);
    const auto& folio = receiver->folio;
    EXPECT_EQ(std::tie(folio.PayedMoney, folio.MasterID), std::make_tuple("100.00", "M7"));
    ASSERT_EQ(folio.DataDetail.size(), 1u);
    const auto& line = *folio.DataDetail[0];
    const auto fields = records(1, 13, "");
    EXPECT_EQ((std::vector<std::optional<std::string>> {line.FolioID, line.FoodName, line.Price, line.VipPrice,
                                                        line.Quantity, line.DisRate, line.Monad, line.GroupID, line.Str01,
                                                        line.Str02, line.Str03, line.Str04, line.Str05}),
              std::vector<std::optional<std::string>>(fields.begin(), fields.end()));
    EXPECT_FALSE(line.isSelected);
    EXPECT_FALSE(line.SetNote);
    deliver(156, {"0", "", "0", "M8"});
    EXPECT_TRUE(receiver->folio.DataDetail.empty());
}

TEST_F(DispatcherTest, StorableDrinksAndBottleLines)
{
    auto drinks = concat({"0", "", "x", "x", "x"}, records(2, 8, ""));
    drinks.pop_back(); // the second record lacks its eighth line
    deliver(183, drinks);
    ASSERT_EQ(receiver->drinks.size(), 1u);
    EXPECT_EQ(receiver->drinks[0]->LimitDaysOfOpen, "0:5");
    deliver(183, {"0"});
    EXPECT_TRUE(receiver->drinks.empty());
    EXPECT_EQ(calls().back(), "storeFoodList");

    // The lines' request fields go out in the store request of the bottle chain's tests.
    EXPECT_EQ(SelectedStoreWineFoodObject::wholeBottles("F1", "红酒", 3).foodCount, "3");
    EXPECT_EQ(SelectedStoreWineFoodObject::openedBottle("F1", "红酒", 0.5).foodCount, "0.50");
}

// The player's replies are followed end to end against the venue server.
TEST_F(DispatcherTest, LightsSoundAndChannels)
{
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
    EXPECT_EQ(std::tie(report.reportID, report.YinXiangZhiLiang, report.IPADXingHao,
                       report.XiShouJianWeiSheng, report.DaiFangHuoYueQiFenCiShu),
              std::make_tuple(4, 5, 0, 32, 48));
    EXPECT_EQ(std::tie(report.YinXiangShiPinBeiZhu, report.KongTiaoXiaoGuoBeiZhu,
                       report.QiTaBeiZhu),
              std::make_tuple("12", "22", "49"));
    auto kept = receiver->report;
    deliver(75, {"0", "", "9"}); // short: what is there is read, the rest keeps its initial value
    EXPECT_NE(receiver->report, kept);
    EXPECT_EQ(std::tie(receiver->report->reportID, receiver->report->YinXiangZhiLiang, kept->reportID),
              std::make_tuple(9, 1, 4));

    deliver(76, {"1"});
    EXPECT_NE(calls().back(), "saveRoomReport");
    deliver(76, {"0"});
    EXPECT_EQ(calls().back(), "saveRoomReport");
}
