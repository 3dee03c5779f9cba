// The replies of the ordering, billing, bar and room-equipment commands carry their values at
// the lines the tablet reads them from, and refuse what the venue does not have.
#include "tests/tools/venue-sim/VenueServerFixture.h"

namespace {

struct LayoutCase {
    int command;
    std::vector<std::string> fields;
    std::size_t lineCount;
    std::vector<std::pair<std::size_t, std::string>> lines;
};
// Printed by name in test listings and failures.
inline void PrintTo(const LayoutCase& row, std::ostream* out) { *out << "command " << row.command; }

// Test names by command and row.
const auto byCommand = [](const auto& test) {
    return "Command" + std::to_string(test.param.command) + "_" + std::to_string(test.index);
};

const std::vector<std::string> kPromoterSearch {"0", "0", "0", "0", "0", "0", "1", "xiao", "0", "", "", "", "", ""};

// Line counts follow from the tablet's record starts and strides: lines before the first record,
// plus records times stride (plus the closing line of 108).
const LayoutCase kLayouts[] = {
    {3, {"A01"}, 4, {{2, "20240518"}, {3, "http://127.0.0.1:8080/songdb/songs-20240518.db"}}},
    {31, {"A01", "7", "2"}, 4, {{2, "7"}, {3, "2"}}},
    {31, {"A01", "30"}, 4, {{3, "主灯;灯带;射灯;激光灯;频闪灯"}}},
    {33, {"A01", "5"}, 6, {{2, "5"}, {3, "100"}, {4, "100"}, {5, "10"}}},
    {77, {"A01"}, 2 + 8 * 3, {{2, "1"}, {3, "新闻频道"}, {4, "1"}, {25, "22"}}},
    {78, {"A01", "5"}, 3, {{2, "5"}}},
    {75, {"A01"}, 50, {{2, "0"}, {4, "3"}, {5, "5"}, {12, "音响偶有杂音"}, {46, "2"}, {49, "客人生日，已送果盘"}}},
    {103, {}, 7 + 14 * 7, {{7, "01"}, {8, "酒水"}, {9, "1"}, {14, "0101"}, {15, "啤酒"}, {16, "2"}, {17, "01"}}},
    {104, {"0102"}, 7 + 5 * 16, {{7, "1101"}, {8, "威士忌（12年）"}, {10, "888"}, {11, "瓶"}, {14, "0"}, {18, "2024-03-01 10:00:00"}}},
    {104, {"04"}, 7 + 5 * 16, {{7, "4001"}, {15, "1"}}},                    // flower items
    {104, {"0301"}, 7 + 2 * 16, {{7, "3001"}, {14, "1"}}},                  // package dishes
    {104, {"0104"}, 7 + 8 * 16, {{7, "1301"}, {16, "R1"}}},                 // the remark number at +9
    {104, {""}, 7 + 6 * 16, {{7, "1101"}, {23, "2002"}}},                   // recommended
    {106, {"R1"}, 6, {{2, "0"}, {3, "加冰"}, {5, "常温"}}},
    {105, {"A01", "1001", "12"}, 9 + 2 * 27,
     {{2, "0"}, {4, "0"}, {8, "2"}, {9, "1001"}, {11, "18"}, {12, "N"}, {13, "12"}, {15, "瓶"},
      {36, "2001"}, {39, "F"}, {40, "1"}, {48, "1"}, {49, "1"}, {50, "1001"}}},
    {105, {"A01", "1005", "2"}, 9 + 27, {{4, "1"}, {5, "2"}, {6, "FS1"}}},
    {105, {"A01", "4001", "1"}, 9 + 27, {{9, "4001"}, {31, "1"}}},          // a flower line at +22
    {107, {"3001"}, 6 + 3 * 7 + 9 * 10, {{4, "3"}, {6, "A"}, {8, "12"}, {13, "B"}, {17, "1"}, {27, "A"}, {28, "1001"}, {34, "1"}}},
    {107, {"3002"}, 6 + 3 * 7 + 6 * 10, {{20, "C"}, {27, "A"}, {74, "6"}}}, // fixed counts at +7
    {107, {"1001"}, 6, {{2, "0"}, {4, "0"}}},
    {108, {"FS2", "1"}, 6 + 2 * 8 + 4 * 11 + 1, {{4, "2"}, {6, "F2"}, {8, "每瓶洋酒赠送六罐"}, {9, "6"}, {14, "F3"}, {22, "F2"}, {23, "1301"}, {26, "12"}}},
    {108, {"nothing"}, 6, {{4, "0"}}},
    {141, kPromoterSearch, 6 + 3 * 8, {{4, "1"}, {5, "3"}, {6, "DA001"}, {7, "小雪"}, {8, "李雪"}, {9, "6601"}}},
    {109, {"A04"}, 27 + 3 * 16,
     {{2, "0"}, {6, "21:20"}, {9, "0"}, {10, "1136"}, {20, "3"}, {23, "G0"}, {27, "威士忌（12年）"}, {28, "888"}, {29, "1"},
      {30, "瓶"}, {31, "N"}, {40, "0"}, {43, "时令果盘（小）"}, {59, "精酿白啤"}, {70, "冰镇"}}},
    {156, {"A04"}, 7 + 3 * 13, {{4, "0"}, {5, "M057102690003"}, {8, "威士忌（12年）"}, {9, "888"}, {11, "1"}, {13, "瓶"}}},
    {127, {"VIP843950", "843950"}, 13, {{2, "0"}, {4, "VM10001"}, {6, "正常"}, {9, "高女士"}, {12, "5000"}}},
    {183, {"0102"}, 7 + 5 * 8, {{7, "1101"}, {8, "威士忌（12年）"}, {9, "Whisky 12 Years"}, {10, "WSJ12"}, {11, "180"}, {12, "60"}}},
    {183, {""}, 7 + 9 * 8, {{7, "1101"}, {71, "1204"}}},
    {213, {"oWX-0001"}, 6, {{2, "0"}, {4, "钱先生"}, {5, "13905710101"}}},
    {213, {"oWX-0003"}, 6, {{4, "老周"}}}, // without a name the nickname stands in
};

class ServiceReplyLayout : public ShippedVenueFixture, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(ServiceReplyLayout, ValuesStandWhereTheTabletReadsThem)
{
    const LayoutCase& c = GetParam();
    const ReplyLines reply = ask(c.command, c.fields);
    EXPECT_EQ(reply.command(), c.command);
    EXPECT_EQ(reply.count(), c.lineCount);
    for (const auto& [index, value] : c.lines)
        EXPECT_EQ(reply[index], value) << "line " << index;
}

INSTANTIATE_TEST_SUITE_P(Replies, ServiceReplyLayout, ::testing::ValuesIn(kLayouts), byCommand);

struct RefusalCase {
    int command;
    std::vector<std::string> fields;
    std::string message;
};
inline void PrintTo(const RefusalCase& row, std::ostream* out) { *out << "command " << row.command << ": " << row.message; }

const std::vector<std::string> kOneCola {"1", "1301", "可乐", "", "2", "N", ""};

std::vector<std::string> order(std::vector<std::string> head, const std::vector<std::string>& tail = kOneCola)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const RefusalCase kRefusals[] = {
    {75, {"Z99"}, "房台号无效"},
    {76, {"A01", "5"}, "服务报告不完整"},
    {105, {"A01", "9999", "1"}, "菜品9999不存在"},
    {105, {"A01", "1001", "0"}, "数量必须大于0"},
    {107, {"9999"}, "菜品9999不存在"},
    {109, {"A05"}, "房台A05没有未结账单"},
    {140, {"V13", "", ""}, "房台V13没有未结账单"},
    {114, order({"V13", "8806", "3344"}), "房台V13未开台，不能下单"},
    {114, order({"A01", "8806", "3344"}, {"1", "9999", "", "", "1", "N", ""}), "菜品9999不存在"},
    {114, order({"A01", "8806", "3344"}, {"2", "1301"}), "没有要下单的菜品"},
    {168, order({"A01", "", "3344"}, {"1", "1301", "可乐", "", "2", "N", "", ""}), "付款码为空"},
    {127, {"VIP843950", "000000"}, "会员卡号或密码错误"},
    {159, {"VIP000000"}, "会员卡号不存在"},
    {163, order(order({"A01", "8806", "3344"}), {"VIP100001", "100001"}), "会员卡挂失，不能支付"},
    {163, order(order({"A01", "8806", "3344"}, {"1", "1102", "", "", "1", "N", ""}), {"VIP271823", "271823"}), "会员卡余额不足，余额80元"},
    {171, {"A01", "8806", "3344", "7"}, "不支持的支付方式"},
    {157, {"A01", "8806", "1122"}, "结账密码错误"},
    {203, {"P99999999", ""}, "支付订单不存在"},
    {202, {"A01", "0"}, "支付金额无效"},
    {201, {"QJ0000", "8806", "周强", "A10", ""}, "取酒码无效"},
    {211, {"SW9999"}, "没有该存酒请求"},
    {212, {"", "9999999", "8806", "周强", "A01", "", "oWX-0001", "夜猫子", "1", "1101", "威士忌", "0", "1", "0.00"}, "不是本场所的存酒"},
    {212, {"", "0571026", "8806", "周强", "A01", "", "oWX-0001", "夜猫子", "1", "1001", "纯生啤酒", "0", "1", "0.00"}, "纯生啤酒不能存酒"},
    {212, {"", "0571026", "8806", "周强", "A01", "", "oWX-0001", "夜猫子", "1", "1101", "威士忌", "0", "0", "0.00"}, "威士忌（12年）的存量无效"},
    {213, {"oWX-9999"}, "查无此顾客"},
};

class ServiceReplyRefusal : public ShippedVenueFixture, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ServiceReplyRefusal, RefusesWithCodeOneAndAReason)
{
    const RefusalCase& c = GetParam();
    const ReplyLines reply = ask(c.command, c.fields);
    EXPECT_EQ(reply.command(), c.command);
    EXPECT_EQ(reply.errorCode(), "1");
    EXPECT_EQ(reply.errorMessage(), c.message);
}

INSTANTIATE_TEST_SUITE_P(Replies, ServiceReplyRefusal, ::testing::ValuesIn(kRefusals), byCommand);

} // namespace
