#pragma once

#include "rooms/RoomSceneViewController.h"
#include "session/records/SelectedStoreWineFoodObject.h"

#include <memory>
#include <string>
#include <vector>

class UILabel;

// Storing a guest's bottles, reached from the room floor's bottle actions: it shows the guest
// and the request the floor put into the session, and on confirmation asks the server to keep
// the chosen bottles for that guest.
class StoreWineViewController : public RoomSceneViewController {
public:
    StoreWineViewController() : RoomSceneViewController("StoreWineViewController", "扫码存酒", "返回") {}

    void viewDidLoad() override;
    // Sends the store request with the session's guest, request, venue, clerk and room.
    void btnConfirmAction();
    void socketDataHandleDidImproveStore(bool success, const std::string& errorMsg) override;

    // The bottles to store, one line each.
    std::vector<SelectedStoreWineFoodObject> selectedWines;

    const std::shared_ptr<UILabel>& lblGuest() const { return m_lblGuest; }
    const std::shared_ptr<UILabel>& lblRequest() const { return m_lblRequest; }

private:
    std::shared_ptr<UILabel> m_lblGuest;
    std::shared_ptr<UILabel> m_lblRequest;
};

void registerWineInterfaceClasses();
