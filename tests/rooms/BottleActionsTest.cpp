#include "tests/rooms/RoomFloorFixture.h"

#include "platform/ui/UILabel.h"
#include "scan/SubScanViewController.h"
#include "tests/scan/ScanTestCamera.h"
#include "tools/venue-sim/CommandTable.h"

namespace {

enum class Venue { AsShipped, NoVenueId, ClerkCodeTwo };

// The staff password (1357 is clerk 8802 陈建国), the code scanned (empty: no scanner), the
// chain's requests after 102 in order as the server logs them, and the alert shown or the
// store-wine screen's two lines.
struct BottleRow {
    const char *name; int action; const char *room, *password, *scanned; std::string requests; const char* shown;
    Venue venue = Venue::AsShipped;
};
// Printed by name in test listings and failures.
inline void PrintTo(const BottleRow& row, std::ostream* out) { *out << row.name; }

const std::string kBill = "request 140 fields=[A01||] ";
const char* const kScanStore = "顾客：夜猫子  电话：13905710101/存酒请求：  照片：";
const BottleRow kBottleRows[] = {
    {"Storing", 2100, "A01", "1357", "0571026|oWX-0001|夜猫子|extra", kBill + "request 213 fields=[oWX-0001] ", kScanStore},
    {"Retrieving", 201, "A01", "1357", "0571026|QJ2405001",
     kBill + "request 201 fields=[QJ2405001|8802|陈建国|A01|M057102690001] ", "请求取酒成功，等待吧台确认!"},
    {"AnotherVenue", 2100, "A01", "1357", "0571099|oWX-0001|夜猫子", kBill, "不是本场所二维码"},
    {"TooFewFields", 2100, "A01", "1357", "0571026|oWX-0001", kBill, "请扫描存酒二维码!"},
    {"LineBreakInAField", 201, "A01", "1357", "0571026|QJ24\r\n05001", kBill, "请扫描取酒二维码!"},
    {"EmptyVenueId", 201, "A01", "1357", "|QJ2405001", kBill, "请扫描取酒二维码!", Venue::NoVenueId},
    {"RoomWithoutBill", 201, "A07", "1357", "0571026|QJ2405002",
     "request 140 fields=[A07||] request 201 fields=[QJ2405002|8802|陈建国|A07|] ", "请求取酒成功，等待吧台确认!"},
    {"WrongStaffPassword", 201, "A01", "9999", "", "", "密码错误，查无此员工"},
    {"ClerkCheckAnsweringTwo", 201, "A01", "1357", "", "", "暂停使用", Venue::ClerkCodeTwo},
    {"PendingRequest", 210, "A04", "1357", "",
     "request 140 fields=[A04||] request 210 fields=[A04] request 213 fields=[oWX-0002] ",
     "顾客：小鹿  电话：13805710202/存酒请求：SW1001  照片：SW1001.jpg"},
    {"NoPendingRequest", 210, "A01", "1357", "", kBill + "request 210 fields=[A01] ", "没有请求存酒数据!"},
};

class BottleActionsTest : public RoomFloorTest, public ::testing::WithParamInterface<BottleRow> {
protected:
    std::string chainRequests() const
    {
        std::string requests;
        for (const auto& line : server->logLines())
            for (const char* command : {"request 140 ", "request 210 ", "request 213 ", "request 201 "})
                if (line.rfind(command, 0) == 0)
                    requests += line + " ";
        return requests;
    }
    static std::string shown()
    {
        auto store = std::dynamic_pointer_cast<StoreWineViewController>(ScreenInFront::visibleController());
        return store ? store->lblGuest()->text() + "/" + store->lblRequest()->text() : alertMessage();
    }
};

} // namespace

TEST_P(BottleActionsTest, ScannedTextToRequestsAndAlert)
{
    const BottleRow& row = GetParam();
    ScanTestCamera camera({qrFrame(*row.scanned ? row.scanned : "-")}); // the guest's phone
    camera.hold(); // until the scanner's picture is taken
    auto floor = openFloor();
    ASSERT_TRUE(floor);
    if (row.venue == Venue::NoVenueId)
        DataCenter::sharedInstance().ktvid.clear();
    if (row.venue == Venue::ClerkCodeTwo)
        server->onServer([](VenueServer& venue) {
            venue.commands().add(102, [](const VenueRequest&) {
                return std::optional<ReplyBuilder>(ReplyBuilder(102, "2", "暂停使用").line("8802").line("陈建国"));
            });
        });
    DataCenter::sharedInstance().roomNo = row.room;
    auto details = RoomInfoViewController::create(UITableViewStyle::Grouped);
    details->roomStateObj = std::make_shared<RoomStatesObject>();
    details->roomStateObj->RoomNo = row.room;
    details->customAlertViewClick(row.action, true, row.password, 0);

    auto topAlert = [] { return UIApplication::sharedApplication().topAlert(); };
    if (*row.scanned) {
        std::shared_ptr<SubScanViewController> scanner;
        ASSERT_TRUE(advanceUntil([&] { return (scanner = floor->wineScanner().scanner()) && ScreenInFront::visibleController() == scanner; }));
        EXPECT_EQ(scanner->topTitleValue, row.action == 2100 ? "扫码存酒" : "扫码取酒");
        ASSERT_TRUE(advanceUntil([&] { return camera.hasShownAFrame(); }));
        keepScreenPicture(std::string("bottle-scan-screen-") + row.name);
        camera.release();
        ASSERT_TRUE(advanceUntil([&] { return !floor->wineScanner().isWaiting() || topAlert(); }));
        floor->scanResult(row.scanned); // the same scan delivered again
        if (floor->wineScanner().isWaiting()) { // refused: closing the alert sets the scanner reading again
            ASSERT_TRUE(topAlert()->tapButtonAtIndex(0));
            EXPECT_TRUE(advanceUntil([&] { return topAlert() != nullptr; }));
        }
    }
    EXPECT_TRUE(advanceUntil([&] { return shown() == row.shown; })) << shown();
    keepScreenPicture(std::string("store-wine-or-alert-") + row.name);
    advance(0.3);
    EXPECT_EQ(chainRequests(), row.requests);
    EXPECT_EQ(DataCenter::sharedInstance().clerkNo, row.requests.empty() ? "8805" : "8802");
}

INSTANTIATE_TEST_SUITE_P(Chain, BottleActionsTest, ::testing::ValuesIn(kBottleRows),
                         [](const auto& row) { return std::string(row.param.name); });
