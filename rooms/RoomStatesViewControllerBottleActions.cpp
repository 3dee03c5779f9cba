// The room floor's bottle actions: storing a guest's bottles (by the guest's code or by his
// pending request) and handing them back, each a chain of replies the floor answers in turn.
#include "rooms/RoomStatesViewController.h"

#include "kit/UIAlertViewQN.h"
#include "platform/ui/UIAlertView.h"
#include "rooms/RoomInfoViewController.h"
#include "rooms/WineQrPayload.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"

namespace {

void showMessage(const std::string& message)
{
    UIAlertViewQN::setMsg(message)->show();
}

} // namespace

// Reply 102: the clerk behind the typed password acts from now on.
void RoomStatesViewController::socketDataHandleDidGetClerkInfo(const ResultDictionary& info)
{
    // Any code but "0" is a refusal: it names no clerk, so the acting one stays.
    if (!resultSucceeded(info)) {
        showMessage(resultValue(info, "ErrorMsg"));
        return;
    }
    auto& session = DataCenter::sharedInstance();
    session.actAsClerkNamedIn(info);
    ServerNetworkCenter::sharedInstance().sentMsg(VenueCommand::RoomMaster, {session.roomNo, "", ""});
}

// Reply 140: a room without an open bill still goes on, with an empty bill id.
void RoomStatesViewController::socketDataHandleDidGetMaster(const ResultDictionary& master)
{
    auto& session = DataCenter::sharedInstance();
    session.masterID = resultValue(master, "MasterID");
    switch (session.wineCmd) {
    case RoomInfoViewController::PendingStoreCode:
        ServerNetworkCenter::sharedInstance().sentMsg(VenueCommand::StoreRequest, {session.roomNo});
        break;
    case RoomInfoViewController::StoreWineCode:
    case RoomInfoViewController::RetrieveWineCode:
        m_wineScanner.open(*this, session.wineCmd == RoomInfoViewController::StoreWineCode ? "扫码存酒" : "扫码取酒");
        break;
    default:
        break;
    }
}

void RoomStatesViewController::scanResult(const std::string& text)
{
    // Only the first code of a scan counts; a repeated delivery finds the scan taken.
    if (!m_wineScanner.isWaiting())
        return;
    auto& session = DataCenter::sharedInstance();
    const int action = session.wineCmd;
    if (action != RoomInfoViewController::StoreWineCode && action != RoomInfoViewController::RetrieveWineCode) {
        m_wineScanner.finish();
        return;
    }
    const bool storing = action == RoomInfoViewController::StoreWineCode;
    const WineQrPayload code(text, storing ? 3 : 2, session.ktvid);
    if (code.verdict() == WineQrPayload::Verdict::Malformed) {
        showMessage(storing ? "请扫描存酒二维码!" : "请扫描取酒二维码!");
        return;
    }
    if (code.verdict() == WineQrPayload::Verdict::OtherVenue) {
        showMessage("不是本场所二维码");
        return;
    }
    if (storing) {
        session.storeWineOpenid = code.field(1);
        session.storeWineNickName = code.field(2);
        session.sotreWineID.clear();
        session.storeWineImageName.clear();
        // The guest is asked for once the floor is uncovered again.
        m_goScanStoreWinePage = true;
    } else {
        ServerNetworkCenter::sharedInstance().sentMsg(
            VenueCommand::ResumeWine, {code.field(1), session.clerkNo, session.clerkName, session.roomNo, session.masterID});
    }
    m_wineScanner.finish();
}

void RoomStatesViewController::getStoreWineMainByOpenid()
{
    ServerNetworkCenter::sharedInstance().sentMsg(VenueCommand::StoreWineGuest, {DataCenter::sharedInstance().storeWineOpenid});
}

// Reply 210: the guest's pending store request for the room, if there is one.
void RoomStatesViewController::socketDataHandleDidGetWxRequestStore(const ResultDictionary& request)
{
    // Only "1" refuses here: the server answers a found request with other codes too, and the
    // dispatcher hands the request's lines on for every code but "1".
    if (resultValue(request, "ErrorCode") == "1") {
        showMessage(resultValue(request, "ErrorMsg"));
        return;
    }
    // A count that is no positive number carries no request either.
    const std::string count = resultValue(request, "DataCount");
    if (count.empty() || count == "0" || resultValue(request, "SWM_WXUserID").empty()) {
        showMessage("没有请求存酒数据!");
        return;
    }
    auto& session = DataCenter::sharedInstance();
    session.sotreWineID = resultValue(request, "SW_ID");
    session.storeWineImageName = resultValue(request, "SW_FoodImageName");
    session.storeWineNickName = resultValue(request, "SWM_GuestName");
    session.storeWineOpenid = resultValue(request, "SWM_WXUserID");
    getStoreWineMainByOpenid();
}

// Reply 213: the guest's phone; the store-wine screen takes the rest from the session.
void RoomStatesViewController::socketDataHandleDidGetStoreWineMain(const ResultDictionary& guest)
{
    if (!resultSucceeded(guest)) {
        showMessage(resultValue(guest, "ErrorMsg"));
        return;
    }
    DataCenter::sharedInstance().storeWineGuestPhone = resultValue(guest, "guestPhone");
    performSegueWithIdentifier("toStoreWine", this);
}

void RoomStatesViewController::socketDataHandleDidScanResumeWine(bool success, const std::string& errorMsg)
{
    showMessage(success ? "请求取酒成功，等待吧台确认!" : errorMsg);
}
