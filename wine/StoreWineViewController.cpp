#include "wine/StoreWineViewController.h"

#include "kit/UIAlertViewQN.h"
#include "platform/ui/UIAlertView.h"
#include "platform/ui/UILabel.h"
#include "session/DataCenter.h"
#include "session/ServerNetworkCenter.h"

void StoreWineViewController::viewDidLoad()
{
    RoomSceneViewController::viewDidLoad();
    const auto& session = DataCenter::sharedInstance();
    const CGRect area = view()->bounds();
    m_lblGuest = addLabel("顾客：" + session.storeWineNickName + "  电话：" + session.storeWineGuestPhone,
                          CGRectMake(40, 140, area.size.width - 80, 40));
    // After a scan there is no request and no photograph yet.
    m_lblRequest = addLabel("存酒请求：" + session.sotreWineID + "  照片：" + session.storeWineImageName,
                            CGRectMake(40, 190, area.size.width - 80, 40));
    addButton("确认存酒", CGRectMake(area.size.width - 320, area.size.height - 90, 140, 56),
              [](RoomSceneViewController& screen) {
                  static_cast<StoreWineViewController&>(screen).btnConfirmAction();
              });
}

void StoreWineViewController::btnConfirmAction()
{
    const auto& session = DataCenter::sharedInstance();
    std::vector<std::string> fields {session.sotreWineID,        session.ktvid,           session.clerkNo,
                                     session.clerkName,          session.roomNo,          session.storeWineImageName,
                                     session.storeWineOpenid,    session.storeWineNickName,
                                     std::to_string(selectedWines.size())};
    for (const auto& wine : selectedWines) {
        const auto line = wine.requestFields();
        fields.insert(fields.end(), line.begin(), line.end());
    }
    ServerNetworkCenter::sharedInstance().sentMsg(VenueCommand::ImproveStore, fields);
}

// Stored: back to the floor. Refused: the server's reason, and the clerk may try again.
void StoreWineViewController::socketDataHandleDidImproveStore(bool success, const std::string& errorMsg)
{
    UIAlertViewQN::setMsg(success ? std::string("存酒成功") : errorMsg)->show();
    if (success)
        btnBackAction();
}
