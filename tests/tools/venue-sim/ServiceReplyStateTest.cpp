// What the ordering, billing and bar commands change, as later replies show it.
#include "tests/tools/venue-sim/VenueServerFixture.h"

#include <cstdlib>

namespace {

class ServiceReplyState : public ShippedVenueFixture {
protected:
    // An order for A06 by 8806 (password 3344): six bottles of beer and one portion of wings.
    static std::vector<std::string> beerAndWings(std::vector<std::string> after = {})
    {
        std::vector<std::string> fields {"A06", "8806", "3344", "2", "1001", "纯生啤酒", "18", "6", "N", "",
                                         "2201", "炸鸡翅", "", "1", "N", "微辣"};
        fields.insert(fields.end(), after.begin(), after.end());
        return fields;
    }
    // The bill lines of reply 109 as (name, settled flag).
    std::vector<std::pair<std::string, std::string>> billLines(const std::string& room)
    {
        const ReplyLines bill = ask(109, {room});
        std::vector<std::pair<std::string, std::string>> lines;
        for (std::size_t s = 27; s + 15 < bill.count(); s += 16)
            lines.emplace_back(bill[s], bill[s + 13]);
        return lines;
    }
    double foodMoney(const std::string& room) { return std::atof(std::string(ask(109, {room})[10]).c_str()); }
};

TEST_F(ServiceReplyState, ConfirmedOrdersGoOnTheBillAndSettlingPaysThem)
{
    const double before = foodMoney("A06");
    const std::size_t linesBefore = billLines("A06").size();
    ASSERT_EQ(ask(114, beerAndWings()).errorCode(), "0");
    EXPECT_DOUBLE_EQ(foodMoney("A06"), before + 6 * 18 + 58) << "the dish's own price where the line gives none";
    const auto lines = billLines("A06");
    ASSERT_EQ(lines.size(), linesBefore + 2);
    EXPECT_EQ(lines.back(), (std::pair<std::string, std::string>("炸鸡翅", "0")));

    ASSERT_EQ(ask(115, beerAndWings()).errorCode(), "0");
    EXPECT_DOUBLE_EQ(foodMoney("A06"), before + 6 * 18 + 58) << "gifts cost nothing";
    const ReplyLines bill = ask(109, {"A06"});
    EXPECT_EQ(bill[bill.count() - 16 + 4], "F");
    EXPECT_EQ(bill[bill.count() - 16 + 10], "周强") << "given by the confirming clerk";
    EXPECT_NE(bill[23].find(','), std::string::npos) << "two orders are open: " << bill[23];

    const ReplyLines open = ask(156, {"A06"});
    EXPECT_EQ(open.count(), 7 + 13 * (linesBefore + 4));

    ASSERT_EQ(ask(157, {"A06", "8806", "3344", "0"}).errorCode(), "0");
    EXPECT_EQ(ask(156, {"A06"}).count(), 7u) << "nothing is left unsettled";
    EXPECT_EQ(ask(140, {"A06", "", ""})[5], "S") << "the room waits for its guests to leave";
    for (const auto& line : billLines("A06"))
        EXPECT_EQ(line.second, "1") << line.first;
    EXPECT_EQ(ask(114, beerAndWings()).errorCode(), "1") << "a settling room takes no orders";
}

TEST_F(ServiceReplyState, MobilePaymentsCompleteAfterPolling)
{
    const ReplyLines pending = ask(168, beerAndWings({"134567890123456789"}));
    ASSERT_EQ(pending.errorCode(), "2");
    const std::string orderNo = pending[4];
    ASSERT_FALSE(orderNo.empty());
    const std::size_t linesBefore = billLines("A06").size();
    EXPECT_EQ(ask(203, {orderNo, "0571026"}).errorCode(), "1");
    EXPECT_EQ(ask(203, {orderNo, "0571026"}).errorCode(), "1");
    EXPECT_EQ(billLines("A06").size(), linesBefore) << "nothing goes on the bill before the guest paid";
    EXPECT_EQ(ask(203, {orderNo, "0571026"}).errorCode(), "0");
    EXPECT_EQ(ask(203, {orderNo, "0571026"}).errorCode(), "0") << "paid stays paid";
    const auto lines = billLines("A06");
    ASSERT_EQ(lines.size(), linesBefore + 2);
    EXPECT_EQ(lines.back().second, "1") << "an order paid at once is settled";
    EXPECT_EQ(ask(156, {"A06"})[4], "166");

    const ReplyLines bill = ask(171, {"A04", "8805", "1122", "1", "286543210987654321"});
    ASSERT_EQ(bill[2], "2");
    for (int poll = 0; poll < 3; ++poll)
        ask(205, {bill[4], "0571026"});
    EXPECT_EQ(ask(140, {"A04", "", ""})[5], "S");
    EXPECT_EQ(ask(205, {bill[4], "9999999"}).errorMessage(), "不是本场所的支付订单");
}

TEST_F(ServiceReplyState, MemberCardsPayFromTheirBalance)
{
    const auto balance = [&](const std::string& card, const std::string& password) {
        return std::atof(std::string(ask(127, {card, password})[12]).c_str());
    };
    ASSERT_EQ(ask(163, beerAndWings({"VIP442194", "442194"})).errorCode(), "0");
    EXPECT_DOUBLE_EQ(balance("VIP442194", "442194"), 1200 - 166);
    EXPECT_EQ(billLines("A06").back().second, "1");

    // The whole bill of A04 (1136 over a 498 minimum) by card.
    ASSERT_EQ(ask(171, {"A04", "", "1122", "0", "", "VIP024373", "024373"}).errorCode(), "0");
    EXPECT_DOUBLE_EQ(balance("VIP024373", "024373"), 20000 - 1136);
}

TEST_F(ServiceReplyState, StoredBottlesAreHandedBackOnce)
{
    const ReplyLines stored = ask(212, {"SW1001", "0571026", "8805", "孙晓燕", "A04", "SW1001.jpg", "oWX-0002", "小鹿", "2",
                                        "1102", "干邑白兰地", "0", "2", "0.00", "1201", "赤霞珠干红", "1", "0", "0.35"});
    ASSERT_EQ(stored.errorCode(), "0") << stored.errorMessage();
    EXPECT_EQ(ask(210, {"A04"})[4], "0") << "the request is answered";
    const std::string message = stored.errorMessage();
    const std::string code = message.substr(message.find("QJ"));

    EXPECT_EQ(ask(201, {code, "8805", "孙晓燕", "A04", "M057102690003"}).errorCode(), "0");
    EXPECT_EQ(ask(201, {code, "8805", "孙晓燕", "A04", "M057102690003"}).errorMessage(), "该存酒已取出");
}

TEST_F(ServiceReplyState, RoomEquipmentAndReportsAreKeptPerRoom)
{
    EXPECT_EQ(ask(15, {"A01", "+"})[2], "65");
    EXPECT_EQ(ask(15, {"A01", "150"})[2], "100");
    EXPECT_EQ(ask(15, {"A02"})[2], "60") << "another room keeps its own volume";
    EXPECT_EQ(ask(78, {"A01", "99"})[2], "1") << "an unknown channel leaves the first one on";
    client().send(10, {"Z99", "1"});
    EXPECT_TRUE(client().staysQuiet(std::chrono::milliseconds(200))) << "no room, no answer";

    std::vector<std::string> report {"B02"};
    for (std::size_t i = 0; i < 45; ++i)
        report.push_back(std::to_string(1 + i % 5));
    ASSERT_EQ(ask(76, report).errorCode(), "0");
    const ReplyLines saved = ask(75, {"B02"});
    EXPECT_EQ(saved[4], "1");
    EXPECT_EQ(saved[49], report.back());
}

} // namespace
