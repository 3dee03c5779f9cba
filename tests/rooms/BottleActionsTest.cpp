#include "tests/rooms/RoomFloorFixture.h"

#include "platform/ui/UILabel.h"
#include "scan/SubScanViewController.h"
#include "tests/scan/ScanTestCamera.h"
#include "tools/venue-sim/CommandTable.h"

#include <optional>

namespace {

enum class Setup { None, NoVenueId, ClerkCodeTwo, HandedBack };

struct BottleRow {
    const char* name;
    int action;
    const char* room;
    const char* password; // 1357 is clerk 8802 陈建国
    std::optional<std::string> scanned;
    // The chain's requests after 102, in the order the server must see them; "{master}" is the
    // bill id the floor got from 140.
    std::vector<std::string> requests;
    std::string alert;
    std::string storeScreenGuest; // the store-wine screen shows this guest; empty: no screen
    Setup setup = Setup::None;
};

void PrintTo(const BottleRow& row, std::ostream* out) { *out << row.name; }

const std::vector<BottleRow> kBottleRows = {
    {"Storing", 2100, "A01", "1357", "0571026|oWX-0001|夜猫子|extra",
     {"request 140 fields=[A01||]", "request 213 fields=[oWX-0001]"}, "", "夜猫子"},
    {"Retrieving", 201, "A01", "1357", "0571026|QJ2405001",
     {"request 140 fields=[A01||]", "request 201 fields=[QJ2405001|8802|陈建国|A01|{master}]"}, "请求取酒成功，等待吧台确认!", ""},
    {"RetrievingTwiceIsRefusedByTheBar", 201, "A01", "1357", "0571026|QJ2405001",
     {"request 140 fields=[A01||]", "request 201 fields=[QJ2405001|8802|陈建国|A01|{master}]"}, "该存酒已取出", "",
     Setup::HandedBack},
    {"AnotherVenuesCodeToStore", 2100, "A01", "1357", "0571099|oWX-0001|夜猫子", {"request 140"}, "不是本场所二维码", ""},
    {"AnotherVenuesCodeToRetrieve", 201, "A01", "1357", "0571099|QJ2405001", {"request 140"}, "不是本场所二维码", ""},
    {"TooFewFieldsToStore", 2100, "A01", "1357", "0571026|oWX-0001", {"request 140"}, "请扫描存酒二维码!", ""},
    {"TooFewFieldsToRetrieve", 201, "A01", "1357", "0571026", {"request 140"}, "请扫描取酒二维码!", ""},
    {"LineBreakInAField", 201, "A01", "1357", "0571026|QJ24\r\n05001", {"request 140"}, "请扫描取酒二维码!", ""},
    {"EmptyVenueId", 201, "A01", "1357", "|QJ2405001", {"request 140"}, "请扫描取酒二维码!", "", Setup::NoVenueId},
    {"RoomWithoutBillStillScans", 201, "A07", "1357", "0571026|QJ2405002",
     {"request 140 fields=[A07||]", "request 201 fields=[QJ2405002|8802|陈建国|A07|]"}, "请求取酒成功，等待吧台确认!", ""},
    {"WrongStaffPassword", 201, "A01", "9999", std::nullopt, {}, "密码错误", ""},
    {"ClerkCheckAnsweringTwo", 201, "A01", "1357", std::nullopt, {}, "暂停使用", "", Setup::ClerkCodeTwo},
    {"PendingRequest", 210, "A04", "1357", std::nullopt,
     {"request 140 fields=[A04||]", "request 210 fields=[A04]", "request 213 fields=[oWX-0002]"}, "", "小鹿"},
    {"NoPendingRequest", 210, "A01", "1357", std::nullopt, {"request 140", "request 210 fields=[A01]"}, "没有请求存酒数据!", ""},
};

class BottleActionsTest : public RoomFloorTest, public ::testing::WithParamInterface<BottleRow> {
protected:
    // Where each fragment first appears in the server's log, in the row's order.
    bool loggedInOrder(const std::vector<std::string>& fragments) const
    {
        const auto lines = server->logLines();
        std::size_t from = 0;
        for (const auto& fragment : fragments) {
            auto it = std::find_if(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end(),
                                   [&](const std::string& l) { return l.find(fragment) != std::string::npos; });
            if (it == lines.end())
                return false;
            from = static_cast<std::size_t>(it - lines.begin()) + 1;
        }
        return true;
    }
    void typePassword(int action, const std::string& roomNo, const std::string& password)
    {
        DataCenter::sharedInstance().roomNo = roomNo;
        auto details = RoomInfoViewController::create(UITableViewStyle::Grouped);
        details->roomStateObj = std::make_shared<RoomStatesObject>();
        details->roomStateObj->RoomNo = roomNo;
        details->customAlertViewClick(action, true, password, 0);
    }
};

} // namespace

TEST_P(BottleActionsTest, ScannedTextToRequestsAndAlert)
{
    const BottleRow& row = GetParam();
    auto floor = openFloor();
    ASSERT_TRUE(floor);
    auto& session = DataCenter::sharedInstance();
    if (row.setup == Setup::NoVenueId)
        session.ktvid.clear();
    if (row.setup == Setup::ClerkCodeTwo) {
        server->onServer([](VenueServer& venue) {
            venue.commands().add(102, [](const VenueRequest&) {
                return std::optional<ReplyBuilder>(ReplyBuilder(102, "2", "暂停使用").line("8802").line("陈建国"));
            });
        });
    }
    if (row.setup == Setup::HandedBack)
        server->onServer([](VenueServer& venue) { venue.data().wineCellar().stored("QJ2405001")->handedBack = true; });
    const std::string clerkBefore = session.clerkNo;

    // The guest's phone in front of the camera, whenever the scanner looks.
    std::optional<ScanTestCamera> camera;
    if (row.scanned)
        camera.emplace(std::vector<UIImagePtr> {qrFrame(*row.scanned)});
    typePassword(row.action, row.room, row.password);
    if (row.scanned) {
        std::shared_ptr<SubScanViewController> scanner;
        ASSERT_TRUE(advanceUntil([&] { return (scanner = floor->wineScanner().scanner()) && ScreenInFront::visibleController() == scanner; }));
        EXPECT_EQ(scanner->topTitleValue, row.action == 2100 ? "扫码存酒" : "扫码取酒");
        EXPECT_FALSE(scanner->isVipCard);
        // The code is read, then the same scan is delivered again.
        ASSERT_TRUE(advanceUntil([&] { return !floor->wineScanner().isWaiting() || UIApplication::sharedApplication().topAlert(); }));
        floor->scanResult(*row.scanned);
        if (floor->wineScanner().isWaiting()) {
            // Refused: once the alert is closed the scanner reads again, and refuses again.
            ASSERT_TRUE(UIApplication::sharedApplication().topAlert()->tapButtonAtIndex(0));
            EXPECT_TRUE(advanceUntil([] { return UIApplication::sharedApplication().topAlert() != nullptr; }));
            EXPECT_EQ(ScreenInFront::visibleController(), scanner);
        }
    }

    if (!row.storeScreenGuest.empty()) {
        std::shared_ptr<StoreWineViewController> store;
        ASSERT_TRUE(advanceUntil([&] { return (store = std::dynamic_pointer_cast<StoreWineViewController>(ScreenInFront::visibleController())) != nullptr; }));
        EXPECT_NE(store->lblGuest()->text().find(row.storeScreenGuest), std::string::npos) << store->lblGuest()->text();
        // A scan brings no request id; a pending request does.
        EXPECT_EQ(store->lblRequest()->text().find("SW1001") != std::string::npos, row.action == 210);
    }
    const std::string& alert = row.alert;
    if (!alert.empty()) {
        ASSERT_TRUE(advanceUntil([] { return UIApplication::sharedApplication().topAlert() != nullptr; }));
        EXPECT_NE(UIApplication::sharedApplication().topAlert()->message().value_or("").find(alert), std::string::npos)
            << UIApplication::sharedApplication().topAlert()->message().value_or("");
    }
    std::vector<std::string> requests;
    for (auto fragment : row.requests) {
        if (const auto at = fragment.find("{master}"); at != std::string::npos)
            fragment.replace(at, 8, session.masterID);
        requests.push_back(fragment);
    }
    EXPECT_TRUE(advanceUntil([&] { return loggedInOrder(requests); }));
    advance(0.3);
    // Nothing beyond the row's requests, and each of them once.
    for (const char* command : {"request 140", "request 210", "request 213", "request 201"}) {
        const auto expected = std::count_if(requests.begin(), requests.end(),
                                            [&](const std::string& r) { return r.rfind(command, 0) == 0; });
        EXPECT_EQ(logged(command), static_cast<std::size_t>(expected)) << command;
    }
    if (requests.empty())
        EXPECT_EQ(session.clerkNo, clerkBefore); // a refused password names no clerk
    else
        EXPECT_EQ(session.clerkNo, "8802");
}

INSTANTIATE_TEST_SUITE_P(Chain, BottleActionsTest, ::testing::ValuesIn(kBottleRows),
                         [](const auto& row) { return std::string(row.param.name); });
