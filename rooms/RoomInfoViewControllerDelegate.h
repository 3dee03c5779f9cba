#pragma once

// What the room details popover asks of the room floor.
class RoomInfoViewControllerDelegate {
public:
    virtual ~RoomInfoViewControllerDelegate() = default;
    // Close the popover and take the replies back.
    virtual void disMiss() = 0;
    virtual void showOrderViewController() = 0;
    virtual void showVipCardFreeViewController() = 0;
    virtual void showBillViewController() = 0;
};
