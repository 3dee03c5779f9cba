#include "tests/rooms/RoomFloorFixture.h"

#include "platform/ui/UILabel.h"
#include "scan/SubScanViewController.h"
#include "tests/scan/ScanTestCamera.h"
#include "tools/venue-sim/CommandTable.h"

namespace {

// The staff password (1357 is clerk 8802 陈建国), the code scanned (empty: no scanner), the
// chain's requests after 102 in order as the server logs them, and the alert shown or the
// store-wine screen's two lines, on which the clerk then stores two lines; the venue without its
// id, and its answer to one command in place of the shipped one.
struct BottleRow {
    const char *name; int action; const char *room, *password, *scanned; std::string requests; const char* shown;
    bool noVenueId = false;
    std::optional<ReplyBuilder> answer = std::nullopt;
};
// Printed by name in test listings and failures.
inline void PrintTo(const BottleRow& row, std::ostream* out) { *out << row.name; }

const std::string kBill = "request 140 fields=[A01||] ";
const char* const kScanStore = "顾客：夜猫子  电话：13905710101/存酒请求：  照片：";
const std::string kBottles = "2|1101|威士忌（12年）|0|2|0.00|1201|赤霞珠干红|1|0|0.50] ";
const std::string kPending = "request 140 fields=[A04||] request 210 fields=[A04] request 213 fields=[oWX-0002] "
                             "request 212 fields=[SW1001|0571026|8802|陈建国|A04|SW1001.jpg|oWX-0002|小鹿|" + kBottles;
const BottleRow kBottleRows[] = {
    {"Storing", 2100, "A01", "1357", "0571026|oWX-0001|夜猫子|extra",
     kBill + "request 213 fields=[oWX-0001] request 212 fields=[|0571026|8802|陈建国|A01||oWX-0001|夜猫子|" + kBottles,
     kScanStore},
    {"UnknownGuest", 2100, "A01", "1357", "0571026|oWX-9999|路人", kBill + "request 213 fields=[oWX-9999] ", "查无此顾客"},
    {"Retrieving", 201, "A01", "1357", "0571026|QJ2405001",
     kBill + "request 201 fields=[QJ2405001|8802|陈建国|A01|M057102690001] ", "请求取酒成功，等待吧台确认!"},
    {"UnknownRetrieveCode", 201, "A01", "1357", "0571026|QJ0000000",
     kBill + "request 201 fields=[QJ0000000|8802|陈建国|A01|M057102690001] ", "取酒码无效"},
    {"AnotherVenue", 2100, "A01", "1357", "0571099|oWX-0001|夜猫子", kBill, "不是本场所二维码"},
    {"RetrieveAtAnotherVenue", 201, "A01", "1357", "0571099|QJ2405001", kBill, "不是本场所二维码"},
    {"TooFewFields", 2100, "A01", "1357", "0571026|oWX-0001", kBill, "请扫描存酒二维码!"},
    {"LineBreakInAField", 201, "A01", "1357", "0571026|QJ24\r\n05001", kBill, "请扫描取酒二维码!"},
    {"EmptyVenueId", 201, "A01", "1357", "|QJ2405001", kBill, "请扫描取酒二维码!", true},
    {"RoomWithoutBill", 201, "A07", "1357", "0571026|QJ2405002",
     "request 140 fields=[A07||] request 201 fields=[QJ2405002|8802|陈建国|A07|] ", "请求取酒成功，等待吧台确认!"},
    {"WrongStaffPassword", 201, "A01", "9999", "", "", "密码错误，查无此员工"},
    {"ClerkCheckAnsweringTwo", 201, "A01", "1357", "", "", "暂停使用", false,
     ReplyBuilder(102, "2", "暂停使用").lines({"8802", "陈建国"})},
    {"PendingRequest", 210, "A04", "1357", "", kPending, "顾客：小鹿  电话：13805710202/存酒请求：SW1001  照片：SW1001.jpg"},
    {"PendingRequestCodeTwo", 210, "A04", "1357", "", kPending,
     "顾客：小鹿  电话：13805710202/存酒请求：SW1001  照片：SW1001.jpg", false,
     ReplyBuilder(210, "2", "").lines({"1", "SW1001", "SW1001.jpg", "小鹿", "oWX-0002"})}, // found, under a code of its own
    {"UnknownRoom", 210, "Z99", "1357", "", "request 140 fields=[Z99||] request 210 fields=[Z99] ", "房台号无效"},
    {"NoPendingRequest", 210, "A01", "1357", "", kBill + "request 210 fields=[A01] ", "没有请求存酒数据!"},
};

class BottleActionsTest : public RoomFloorTest, public ::testing::WithParamInterface<BottleRow> {
protected:
    std::string chainRequests() const
    {
        std::string requests;
        for (const auto& line : server->logLines())
            for (const char* command : {"request 140 ", "request 210 ", "request 213 ", "request 201 ", "request 212 "})
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
    if (row.noVenueId)
        DataCenter::sharedInstance().ktvid.clear();
    if (row.answer)
        server->onServer([answer = *row.answer](VenueServer& venue) {
            venue.commands().add(answer.command(), [answer](const VenueRequest&) { return std::optional(answer); });
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
    if (auto store = std::dynamic_pointer_cast<StoreWineViewController>(ScreenInFront::visibleController())) {
        store->selectedWines = {SelectedStoreWineFoodObject::wholeBottles("1101", "威士忌（12年）", 2),
                                SelectedStoreWineFoodObject::openedBottle("1201", "赤霞珠干红", 0.5)};
        store->btnConfirmAction();
        EXPECT_TRUE(advanceUntil([] { return alertMessage() == "存酒成功"; })) << alertMessage();
    }
    advance(0.3);
    EXPECT_EQ(chainRequests(), row.requests);
    EXPECT_EQ(DataCenter::sharedInstance().clerkNo, row.requests.empty() ? "8805" : "8802");
}

INSTANTIATE_TEST_SUITE_P(Chain, BottleActionsTest, ::testing::ValuesIn(kBottleRows),
                         [](const auto& row) { return std::string(row.param.name); });
