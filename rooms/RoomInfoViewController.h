#pragma once

#include "kit/KeypadAlertViewDelegate.h"
#include "kit/StaticContentTableViewController.h"
#include "rooms/RoomInfoViewControllerDelegate.h"
#include "session/SocketDataHandleDelegate.h"
#include "session/VenueCommand.h"
#include "session/records/RoomStateAndInfo.h"
#include "session/records/RoomStatesObject.h"

#include <memory>
#include <string>

class UIPopoverController;

// A room's details in the popover beside its tile: the actions its display state allows, as
// large buttons, above the room's facts. Ordering, gifts and the bill open through the floor;
// every other action asks for a staff password first and sends a command for the room.
class RoomInfoViewController : public StaticContentTableViewController,
                               public SocketDataHandleDelegate,
                               public KeypadAlertViewDelegate {
public:
    // The bottle actions, kept in the session's wineCmd while the floor runs their chain. 2100
    // is the chain's own code for storing by scan, not a command.
    static constexpr int StoreWineCode = 2100;
    static constexpr int RetrieveWineCode = commandNumber(VenueCommand::ResumeWine);
    static constexpr int PendingStoreCode = commandNumber(VenueCommand::StoreRequest);

    static std::shared_ptr<RoomInfoViewController> create(UITableViewStyle style);
    explicit RoomInfoViewController(UITableViewStyle style);

    void viewDidLoad() override;

    void addBtn(const std::string& title, int command);
    void addCell(StaticContentTableViewSection& section, const std::string& label, const std::string& text);
    void btnAction(int command);
    void customAlertViewClick(std::int64_t tag, bool isOk, const std::string& input, std::int32_t curCmd) override;

    std::shared_ptr<RoomStatesObject> roomStateObj;
    std::shared_ptr<RoomStateAndInfo> roomInfoObj;
    // The popover showing these details; it owns them, so they only refer to it.
    std::weak_ptr<UIPopoverController> popover;
    std::weak_ptr<RoomInfoViewControllerDelegate> delegate;

private:
    void styleTable();
    void addRoomSection(std::int64_t state);
    void addReservationSection(std::int64_t state);
};
