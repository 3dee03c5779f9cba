#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SocketDataHandle;
class RoomStateAndInfo;
struct FoodTypeObject;
struct OKFoodObject;
struct CanStoreFoodObj;
struct OKFolioObject;
struct OKPackChild;
struct OKPackChildFood;
struct SelectClerkListCountDown;
struct SelectClerkListInfoDown;
class ReportObject;
struct TVRelayObject;

// "ErrorCode" and "ErrorMsg" always; the reply's named fields only on success.
using ResultDictionary = std::map<std::string, std::string>;
// The value under a key, empty when the reply did not carry it.
inline std::string resultValue(const ResultDictionary& result, const std::string& key)
{
    const auto it = result.find(key);
    return it == result.end() ? std::string() : it->second;
}
// Only "0" is success: any other code has none of the reply's named fields.
inline bool resultSucceeded(const ResultDictionary& result)
{
    return resultValue(result, "ErrorCode") == "0";
}
template<typename T>
using RecordList = std::vector<std::shared_ptr<T>>;
// Every line of a reply as split, the length digits included.
using ReplyLineList = std::vector<std::string>;
// The dishes of each package group, by the group's SetID.
using PackChildFoodMap = std::map<std::string, RecordList<OKPackChildFood>>;

// A room's unsettled bill lines, what was paid already and the bill number.
struct NoSettleFolio {
    RecordList<OKPackChild> DataDetail;
    std::string PayedMoney;
    std::string MasterID;
};

// What the screen in front receives from the dispatcher, one method per kind of reply. Every
// method is optional: the defaults do nothing. The two whose presence changes what the
// dispatcher does return true when a screen implements them (the defaults return false).
class SocketDataHandleDelegate {
public:
    virtual ~SocketDataHandleDelegate() = default;

    // The download address is empty when the server's text is not a URL.
    virtual void UpdateDB(const std::optional<std::string>& /*url*/, const std::string& /*dbVersion*/) {}
    virtual void DbExist() {}
    // Implementing it makes the screen responsible for reconnecting after a lost link.
    virtual bool socketDataHandleServerConnect(SocketDataHandle&, bool /*connected*/) { return false; }
    virtual void socketDataHandleClientConnected(SocketDataHandle&, bool /*connected*/) {}
    virtual void socketDataHandleBoundClient(SocketDataHandle&, const ReplyLineList&) {}
    virtual void socketDataHandleDidConfirmInputAmount() {}
    virtual void socketDataHandleDidCategory(const RecordList<FoodTypeObject>&) {}
    virtual void socketDataHandleDidFoodList(const RecordList<OKFoodObject>&) {}
    virtual void socketDataHandleDidStoreFoodList(const RecordList<CanStoreFoodObj>&) {}
    virtual void socketDataHandleDidRoomStateAndInfo(const std::shared_ptr<RoomStateAndInfo>&) {}
    virtual void socketDataHandleDidAddInfoOfFood(const std::vector<std::string>& /*remarks*/) {}
    virtual void socketDataHandleDidSelectFood(const RecordList<OKFolioObject>&) {}
    // groupDishes and groups are absent (null) when the reply names no group.
    virtual void socketDataHandleDidPackChild(const PackChildFoodMap* /*groupDishes*/, std::int64_t /*packCount*/,
                                              const RecordList<OKPackChild>* /*groups*/)
    {
    }
    // The promoter reply goes to the first of these two that the screen implements.
    virtual bool socketDataHandleDidSelectClerkListWithClerkCounts(const RecordList<SelectClerkListCountDown>&,
                                                                  const RecordList<SelectClerkListInfoDown>&)
    {
        return false;
    }
    virtual bool socketDataHandleDidSearchClerkListWithClerkCounts(const RecordList<SelectClerkListCountDown>&,
                                                                  const RecordList<SelectClerkListInfoDown>&)
    {
        return false;
    }
    virtual void socketDataHandleDidConfirmInputFood(const std::string& /*message*/) {}
    virtual void socketDataHandleDidConfirmInputFoodOfVip(const std::string& /*message*/) {}
    virtual void socketDataHandleDidConfirmInputFoodNetPay(const std::string& /*code*/,
                                                           const std::string& /*errorMsg*/,
                                                           const std::string& /*orderNo*/)
    {
    }
    virtual void socketDataHandleDidControlChenged() {}
    virtual void socketDataHandleDidUpdateBillList() {}
    virtual void socketDataHandleGetCmdResult(bool /*success*/, const std::string& /*message*/) {}
    virtual void socketDataHandleDidGetNoSettleFolio(const NoSettleFolio&) {}
    virtual void socketDataHandleDidPayMoneyOfHall(bool /*success*/, const std::string& /*errorMsg*/) {}
    virtual void socketDataHandleDidVipSendPassWord(const ResultDictionary&) {}
    virtual void socketDataHandleDidGetVipInfo(const ResultDictionary&) {}
    virtual void socketDataHandleDidGetStoreWineMain(const ResultDictionary&) {}
    virtual void socketDataHandleDidGetClerkInfo(const ResultDictionary&) {}
    virtual void socketDataHandleDidGetWxRequestStore(const ResultDictionary&) {}
    virtual void socketDataHandleDidVipConsumeOfHall(bool /*success*/, const std::string& /*errorMsg*/) {}
    virtual void socketDataHandleDidScanResumeWine(bool /*success*/, const std::string& /*errorMsg*/) {}
    virtual void socketDataHandleDidStoreWine(const std::string& /*code*/, const std::string& /*msg*/,
                                              const std::string& /*flag*/, const std::string& /*no*/)
    {
    }
    virtual void socketDataHandleDidImproveStore(bool /*success*/, const std::string& /*errorMsg*/) {}
    virtual void socketDataHandleDidDeleteRequestStore(bool /*success*/, const std::string& /*errorMsg*/) {}
    virtual void socketDataHandleDidGetMaster(const ResultDictionary&) {}
    virtual void socketDataHandleDidGetALiPayErCode(bool /*success*/, const std::string& /*errorMsg*/,
                                                    const std::string& /*order*/, const std::string& /*erCode*/)
    {
    }
    virtual void socketDataHandleDidGetALiPayState(bool /*paid*/) {}
    virtual void socketDataHandleDidGetWXPayErCode(bool /*success*/, const std::string& /*errorMsg*/,
                                                   const std::string& /*order*/, const std::string& /*erCode*/)
    {
    }
    virtual void socketDataHandleDidGetWXPayState(bool /*paid*/) {}
    virtual void socketDataHandleDidGetChangSuoID(bool /*success*/, const std::string& /*errorMsg*/,
                                                  const std::string& /*csid*/, const std::string& /*csname*/)
    {
    }
    virtual void socketDataHandleDidGetBill(const ReplyLineList&) {}
    virtual void socketDataHandleDidGetBillConfirmNetPay(const ReplyLineList&) {}
    virtual void socketDataHandleDidRoomReport(const std::shared_ptr<ReportObject>&) {}
    virtual void socketDataHandleDidSaveRoomReport() {}
    virtual void socketDataHandleDidHallBound(bool /*success*/, const std::string& /*errorMsg*/) {}
    virtual void socketDataHandleDidDianShiPinDao(const RecordList<TVRelayObject>&) {}
    virtual void socketDataHandleDidGongGuanList(const std::vector<std::string>&) {}
    virtual void socketDataHandleDidDengGuang() {}
    virtual void socketDataHandleDidTiaoYin() {}
    virtual void socketDataHandleDidRoomStates() {}
    virtual void socketDataHandleDidLoginSucceed() {}
};
