#include "tests/session/dispatcher/DispatcherTestSupport.h"

#include <tuple>

TEST_F(DispatcherTest, MenuCategoriesAndDishes)
{
    const std::vector<std::string> head {"0", "", "x", "x", "x"}; // lines 2 to 6
    auto categoryLines = concat(head, records(1, 7));
    categoryLines.pop_back(); // 13 lines: one short of a record
    deliver(103, categoryLines);
    EXPECT_TRUE(calls().empty());
    deliver(103, concat(head, records(2, 7)));
    ASSERT_EQ(receiver->categories.size(), 2u);
    const auto& category = *receiver->categories[1];
    EXPECT_EQ(std::tie(category.TypeNo, category.ParentNo, category.Choise),
              std::make_tuple("r1:0", "r1:3", ""));

    auto dishLines = concat(head, records(1, 16));
    dishLines.pop_back(); // 22 lines
    deliver(104, dishLines);
    EXPECT_EQ(calls().back(), "foodList");
    EXPECT_TRUE(receiver->dishes.empty());
    auto failed = concat({"1", "菜单错误", "x", "x", "x"}, records(1, 16));
    deliver(104, failed); // the error code is not looked at
    ASSERT_EQ(receiver->dishes.size(), 1u);
    const auto& dish = *receiver->dishes[0];
    EXPECT_EQ(std::tie(dish.Price, dish.IfFlowerItem, dish.AddInfoNo2, dish.AddInfoNo1,
                       dish.FoodImageModifyTime, dish.Str5),
              std::make_tuple("r0:3", "r0:8", "r0:9", "r0:10", "r0:11", "r0:15"));
    EXPECT_FALSE(dish.TypeNo);
    EXPECT_FALSE(dish.Level);
}

TEST_F(DispatcherTest, OrderLinesFillFromTheBasketHeaderAndRoom)
{
    handle().roomState = std::make_shared<RoomStateAndInfo>();
    handle().roomState->PrintLocate = "1";
    handle().addInfo = "少冰";
    auto lines = concat({"0", "", "1", "3", "S9", "G7", "2"}, records(2, 27));
    lines.resize(lines.size() - 1); // the second record is one line short
    deliver(105, lines);
    auto& basket = handle().getTmpSelectFood();
    EXPECT_EQ(std::tie(basket.HasMultFreeItems, basket.MultFreeCount, basket.MultFreeItemsSetID,
                       basket.GroupID, basket.DataCount),
              std::make_tuple("1", "3", "S9", "G7", "2"));
    ASSERT_EQ(receiver->folioLines.size(), 1u);
    const auto& line = *receiver->folioLines[0];
    EXPECT_EQ(std::tie(line.FoodNo, line.Quantity, line.Monad, line.PrinterNo, line.IfFlowerItem,
                       line.Str2, line.Str5),
              std::make_tuple("r0:0", "r0:4", "r0:6", "r0:81", "r0:22", "r0:23", "r0:26"));
    EXPECT_EQ(std::tie(line.GroupID, line.Adds1Name, line.Adds2Name),
              std::make_tuple("G7", "少冰", ""));
    EXPECT_FALSE(line.SettleFlag);
    EXPECT_TRUE(basket.foodSetArray.empty()); // the screen puts lines in the basket

    // Without room details the printer route is the line's own; code "2" is handled like "0".
    handle().roomState.reset();
    handle().addInfo.clear();
    deliver(105, concat({"2", "", "0", "", "", "G8", "1"}, records(1, 27)));
    EXPECT_EQ(receiver->folioLines[0]->PrinterNo, "r0:8");
    EXPECT_EQ(receiver->folioLines[0]->Adds1Name, "");

    // Nine lines: the header is taken and the list is empty.
    deliver(105, {"0", "", "0", "1", "", "G9", "0"});
    EXPECT_TRUE(receiver->folioLines.empty());
    EXPECT_EQ(basket.GroupID, "G9");

    // A refusal only alerts: the basket keeps its header.
    const auto callsBefore = calls().size();
    deliver(105, {"1", "估清", "9", "9", "9", "G2", "9"});
    EXPECT_EQ(std::tie(basket.ErrorCode, basket.ErrorMsg, basket.GroupID),
              std::make_tuple("1", "估清", "G9"));
    EXPECT_EQ(calls().size(), callsBefore);
    EXPECT_EQ(alerts.alerts, (std::vector<std::string> {"提示|估清|确定"}));
}

TEST_F(DispatcherTest, RemarksOfADish)
{
    deliver(106, {"0"});
    EXPECT_TRUE(calls().empty());
    deliver(106, {"0", "少冰"});
    EXPECT_EQ(receiver->remarks, (std::vector<std::string> {"少冰"}));
}

TEST_F(DispatcherTest, PackageGroupsAndDishes)
{
    deliver(107, {"0", "", "0", "x"});
    EXPECT_EQ(calls(), (std::vector<std::string> {"packChild"}));
    EXPECT_FALSE(receiver->groupDishes);
    EXPECT_FALSE(receiver->groups);
    EXPECT_EQ(receiver->number, 0);

    auto groups = records(2, 7, "g");
    groups[0] = "A";
    groups[7] = "B";
    auto dishes = records(3, 10, "d");
    dishes[0] = "A";
    dishes[10] = "B";
    dishes[20] = "A";
    deliver(107, concat(concat({"0", "", "2", "x"}, groups), dishes));
    ASSERT_TRUE(receiver->groups);
    ASSERT_EQ(receiver->groups->size(), 2u);
    const auto& group = *(*receiver->groups)[1];
    EXPECT_EQ(std::tie(group.SetItemName, group.NotShare), std::make_tuple("g1:1", "g1:4"));
    ASSERT_TRUE(receiver->groupDishes);
    EXPECT_EQ(receiver->groupDishes->at("A").size(), 2u);
    EXPECT_EQ(receiver->groupDishes->at("B").size(), 1u);
    EXPECT_EQ(receiver->groupDishes->at("A")[1]->FoodNo, "d2:1");
    EXPECT_EQ(receiver->groupDishes->at("B")[0]->Count, "d1:7");

    // 20 + 9 lines: no dish yet.
    auto shortDish = records(1, 10, "d");
    shortDish.pop_back();
    deliver(107, concat(concat({"0", "", "2", "x"}, groups), shortDish));
    EXPECT_TRUE(receiver->groupDishes->empty());

    // More groups announced than the reply holds, or a negative count: dropped.
    const auto before = calls().size();
    deliver(107, concat({"0", "", "3", "x"}, groups));
    deliver(107, concat({"0", "", "-2", "x"}, groups));
    deliver(107, concat({"0", "", "99999999999999", "x"}, groups));
    EXPECT_EQ(calls().size(), before);

    deliver(107, {"1", "套餐已停售"});
    EXPECT_EQ(calls().size(), before);
    EXPECT_EQ(alerts.alerts, (std::vector<std::string> {"提示信息|套餐已停售|确定"}));
}

TEST_F(DispatcherTest, FreeItemGroupsMultiplyTheAllowance)
{
    handle().getTmpSelectFood().MultFreeCount = "3";
    auto group = records(1, 8, "g");
    group[3] = "2";
    auto dish = records(1, 11, "d");
    dish[0] = "g0:0";
    // 14 + 11 lines: the dish needs one more line after it.
    deliver(108, concat(concat({"1", "", "1", "x"}, group), dish));
    ASSERT_TRUE(receiver->groups);
    EXPECT_EQ((*receiver->groups)[0]->CanSelectCount, 6);
    EXPECT_EQ((*receiver->groups)[0]->SetNote, "g0:2");
    EXPECT_TRUE(receiver->groupDishes->empty());
    deliver(108, concat(concat(concat({"1", "", "1", "x"}, group), dish), {""}));
    ASSERT_EQ(receiver->groupDishes->at("g0:0").size(), 1u);
    const auto& free = *receiver->groupDishes->at("g0:0")[0];
    EXPECT_EQ(std::tie(free.Price, free.Monad, free.Str2),
              std::make_tuple("d0:4", "d0:5", "d0:10"));

    handle().getTmpSelectFood().MultFreeCount = "";
    deliver(108, concat({"0", "", "1", "x"}, group));
    EXPECT_EQ((*receiver->groups)[0]->CanSelectCount, 0);

    // Products beyond 32 bits stay exact.
    handle().getTmpSelectFood().MultFreeCount = "2000000000";
    group[3] = "2000000000";
    deliver(108, concat({"0", "", "1", "x"}, group));
    EXPECT_EQ((*receiver->groups)[0]->CanSelectCount, 4'000'000'000'000'000'000LL);

    deliver(108, {"0"});
    EXPECT_EQ(receiver->number, 0);
    EXPECT_FALSE(receiver->groups);
}

TEST_F(DispatcherTest, ConfirmedOrdersEmptyTheBasket)
{
    auto& basket = handle().getTmpSelectFood();
    auto refill = [&] {
        basket.foodSetArray = {std::make_shared<OKFolioObject>(), std::make_shared<OKFolioObject>()};
        basket.oldChoiceArray = {std::make_shared<OKFolioObject>()};
        basket.GroupID = "G1";
    };
    // Only "1" refuses; an order paid by member card is confirmed the same way.
    const std::tuple<int, const char*, const char*> replies[] = {
        {115, "1", "confirmInputFood"},      {114, "0", "confirmInputFood"},
        {114, "2", "confirmInputFood"},      {163, "1", "confirmInputFoodOfVip"},
        {163, "2", "confirmInputFoodOfVip"}};
    for (const auto& [command, code, callback] : replies) {
        SCOPED_TRACE(std::to_string(command) + "/" + code);
        refill();
        deliver(command, {code, "拒绝"});
        const bool refused = std::string(code) == "1";
        EXPECT_EQ(calls().back(), callback);
        EXPECT_EQ(receiver->text, refused ? "拒绝" : "");
        EXPECT_EQ(basket.foodSetArray.size(), refused ? 2u : 0u);
        EXPECT_EQ(basket.oldChoiceArray.size(), 1u);
        EXPECT_EQ(basket.GroupID, "G1");
    }
    // Without a receiver the basket is emptied all the same.
    refill();
    receiver.reset();
    deliver(114, {"0", ""});
    EXPECT_TRUE(basket.foodSetArray.empty());
    EXPECT_EQ(&handle().getTmpSelectFood(), &basket);
}

TEST_F(DispatcherTest, PromoterQueryGoesToOneCallback)
{
    auto rows = records(2, 8);
    rows.pop_back(); // 6 + 8 + 7 lines: one row
    deliver(141, concat({"0", "", "3", "12"}, rows));
    EXPECT_EQ(calls(), (std::vector<std::string> {"selectClerkList"}));
    ASSERT_EQ(receiver->clerkHeaders.size(), 1u);
    EXPECT_EQ(receiver->clerkHeaders[0]->PageCount, "3");
    EXPECT_EQ(receiver->clerkHeaders[0]->DataCount, "12");
    ASSERT_EQ(receiver->clerkRows.size(), 1u);
    EXPECT_EQ(std::tie(receiver->clerkRows[0]->YiMing, receiver->clerkRows[0]->Str5),
              std::make_tuple("r0:1", "r0:7"));

    receiver->implementsSelectClerkList = false;
    deliver(141, concat({"1", "无权限", "3", "12"}, rows));
    EXPECT_EQ(calls().back(), "searchClerkList");
    EXPECT_EQ(receiver->clerkHeaders[0]->ErrorMsg, "无权限");
    EXPECT_EQ(receiver->clerkHeaders[0]->DataCount, "");
    EXPECT_TRUE(receiver->clerkRows.empty());
}
