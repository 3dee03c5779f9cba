#pragma once

#include "session/SocketDataHandleDelegate.h"
#include "session/records/CanStoreFoodObj.h"
#include "session/records/FoodTypeObject.h"
#include "session/records/OKFolioObject.h"
#include "session/records/OKFoodObject.h"
#include "session/records/OKPackChild.h"
#include "session/records/OKPackChildFood.h"
#include "session/records/ReportObject.h"
#include "session/records/RoomStateAndInfo.h"
#include "session/records/SelectClerkListCountDown.h"
#include "session/records/SelectClerkListInfoDown.h"
#include "session/records/TVRelayObject.h"

#include <optional>
#include <string>
#include <vector>

// A screen that implements every callback and records what it was given.
class RecordingReceiver : public SocketDataHandleDelegate {
public:
    std::vector<std::string> calls;
    bool ownsReconnect = true;
    bool implementsSelectClerkList = true;

    bool flag = false;
    std::string text, text2, text3;
    std::int64_t number = 0;
    ResultDictionary dictionary;
    ReplyLineList lines;
    std::vector<std::string> remarks;
    std::shared_ptr<RoomStateAndInfo> room;
    std::shared_ptr<ReportObject> report;
    RecordList<FoodTypeObject> categories;
    RecordList<OKFoodObject> dishes;
    RecordList<CanStoreFoodObj> drinks;
    RecordList<OKFolioObject> folioLines;
    std::optional<PackChildFoodMap> groupDishes;
    std::optional<RecordList<OKPackChild>> groups;
    RecordList<SelectClerkListCountDown> clerkHeaders;
    RecordList<SelectClerkListInfoDown> clerkRows;
    RecordList<TVRelayObject> channels;
    NoSettleFolio folio;

    void UpdateDB(const std::optional<std::string>& url, const std::string& version) override
    {
        note("UpdateDB", url.value_or("(nil)"), version);
    }
    void DbExist() override { calls.push_back("DbExist"); }
    bool socketDataHandleServerConnect(SocketDataHandle&, bool connected) override
    {
        if (!ownsReconnect)
            return false;
        calls.push_back("serverConnect");
        flag = connected;
        return true;
    }
    void socketDataHandleClientConnected(SocketDataHandle&, bool connected) override { keep("clientConnected", flag, connected); }
    void socketDataHandleBoundClient(SocketDataHandle&, const ReplyLineList& l) override { keep("boundClient", lines, l); }
    void socketDataHandleDidConfirmInputAmount() override { calls.push_back("confirmInputAmount"); }
    void socketDataHandleDidCategory(const RecordList<FoodTypeObject>& l) override { keep("category", categories, l); }
    void socketDataHandleDidFoodList(const RecordList<OKFoodObject>& l) override { keep("foodList", dishes, l); }
    void socketDataHandleDidStoreFoodList(const RecordList<CanStoreFoodObj>& l) override { keep("storeFoodList", drinks, l); }
    void socketDataHandleDidRoomStateAndInfo(const std::shared_ptr<RoomStateAndInfo>& r) override { keep("roomStateAndInfo", room, r); }
    void socketDataHandleDidAddInfoOfFood(const std::vector<std::string>& r) override { keep("addInfoOfFood", remarks, r); }
    void socketDataHandleDidSelectFood(const RecordList<OKFolioObject>& l) override { keep("selectFood", folioLines, l); }
    void socketDataHandleDidPackChild(const PackChildFoodMap* d, std::int64_t count, const RecordList<OKPackChild>* g) override
    {
        calls.push_back("packChild");
        groupDishes = d ? std::optional(*d) : std::nullopt;
        groups = g ? std::optional(*g) : std::nullopt;
        number = count;
    }
    bool socketDataHandleDidSelectClerkListWithClerkCounts(const RecordList<SelectClerkListCountDown>& h,
                                                          const RecordList<SelectClerkListInfoDown>& r) override
    {
        return implementsSelectClerkList && keepClerks("selectClerkList", h, r);
    }
    bool socketDataHandleDidSearchClerkListWithClerkCounts(const RecordList<SelectClerkListCountDown>& h,
                                                          const RecordList<SelectClerkListInfoDown>& r) override
    {
        return keepClerks("searchClerkList", h, r);
    }
    void socketDataHandleDidConfirmInputFood(const std::string& m) override { note("confirmInputFood", m); }
    void socketDataHandleDidConfirmInputFoodOfVip(const std::string& m) override { note("confirmInputFoodOfVip", m); }
    void socketDataHandleDidConfirmInputFoodNetPay(const std::string& c, const std::string& m, const std::string& o) override
    {
        note("confirmInputFoodNetPay", c, m, o);
    }
    void socketDataHandleDidControlChenged() override { calls.push_back("controlChenged"); }
    void socketDataHandleDidUpdateBillList() override { calls.push_back("updateBillList"); }
    void socketDataHandleGetCmdResult(bool s, const std::string& m) override { noteFlag("cmdResult", s, m); }
    void socketDataHandleDidGetNoSettleFolio(const NoSettleFolio& f) override { keep("noSettleFolio", folio, f); }
    void socketDataHandleDidPayMoneyOfHall(bool s, const std::string& m) override { noteFlag("payMoneyOfHall", s, m); }
    void socketDataHandleDidVipSendPassWord(const ResultDictionary& d) override { noteDict("vipSendPassWord", d); }
    void socketDataHandleDidGetVipInfo(const ResultDictionary& d) override { noteDict("vipInfo", d); }
    void socketDataHandleDidGetStoreWineMain(const ResultDictionary& d) override { noteDict("storeWineMain", d); }
    void socketDataHandleDidGetClerkInfo(const ResultDictionary& d) override { noteDict("clerkInfo", d); }
    void socketDataHandleDidGetWxRequestStore(const ResultDictionary& d) override { noteDict("wxRequestStore", d); }
    void socketDataHandleDidVipConsumeOfHall(bool s, const std::string& m) override { noteFlag("vipConsumeOfHall", s, m); }
    void socketDataHandleDidScanResumeWine(bool s, const std::string& m) override { noteFlag("scanResumeWine", s, m); }
    void socketDataHandleDidImproveStore(bool s, const std::string& m) override { noteFlag("improveStore", s, m); }
    void socketDataHandleDidDeleteRequestStore(bool s, const std::string& m) override { noteFlag("deleteRequestStore", s, m); }
    void socketDataHandleDidGetMaster(const ResultDictionary& d) override { noteDict("master", d); }
    void socketDataHandleDidGetALiPayErCode(bool s, const std::string& m, const std::string& o, const std::string& c) override
    {
        noteFlag("aliPayErCode", s, m, o, c);
    }
    void socketDataHandleDidGetALiPayState(bool s) override { noteFlag("aliPayState", s, ""); }
    void socketDataHandleDidGetWXPayErCode(bool s, const std::string& m, const std::string& o, const std::string& c) override
    {
        noteFlag("wxPayErCode", s, m, o, c);
    }
    void socketDataHandleDidGetWXPayState(bool s) override { noteFlag("wxPayState", s, ""); }
    void socketDataHandleDidGetChangSuoID(bool s, const std::string& m, const std::string& id, const std::string& name) override
    {
        noteFlag("changSuoID", s, m, id, name);
    }
    void socketDataHandleDidGetBill(const ReplyLineList& l) override { keep("bill", lines, l); }
    void socketDataHandleDidGetBillConfirmNetPay(const ReplyLineList& l) override { keep("billConfirmNetPay", lines, l); }
    void socketDataHandleDidRoomReport(const std::shared_ptr<ReportObject>& r) override { keep("roomReport", report, r); }
    void socketDataHandleDidSaveRoomReport() override { calls.push_back("saveRoomReport"); }
    void socketDataHandleDidHallBound(bool s, const std::string& m) override { noteFlag("hallBound", s, m); }
    void socketDataHandleDidDianShiPinDao(const RecordList<TVRelayObject>& c) override { keep("dianShiPinDao", channels, c); }
    void socketDataHandleDidDengGuang() override { calls.push_back("dengGuang"); }
    void socketDataHandleDidTiaoYin() override { calls.push_back("tiaoYin"); }
    void socketDataHandleDidRoomStates() override { calls.push_back("roomStates"); }
    void socketDataHandleDidLoginSucceed() override { calls.push_back("loginSucceed"); }

private:
    template <typename T>
    void keep(const std::string& name, T& into, const T& value)
    {
        calls.push_back(name);
        into = value;
    }
    void note(const std::string& name, const std::string& a, const std::string& b = "", const std::string& c = "")
    {
        calls.push_back(name);
        text = a;
        text2 = b;
        text3 = c;
    }
    void noteFlag(const std::string& name, bool s, const std::string& a, const std::string& b = "",
                  const std::string& c = "")
    {
        note(name, a, b, c);
        flag = s;
    }
    void noteDict(const std::string& name, const ResultDictionary& d) { keep(name, dictionary, d); }
    bool keepClerks(const std::string& name, const RecordList<SelectClerkListCountDown>& h,
                    const RecordList<SelectClerkListInfoDown>& r)
    {
        keep(name, clerkHeaders, h);
        clerkRows = r;
        return true;
    }
};
