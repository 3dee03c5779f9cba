#pragma once

#include "rooms/RoomSceneViewController.h"

// The bill of a room, opened from the room floor.
class BillViewController : public RoomSceneViewController {
public:
    BillViewController() : RoomSceneViewController("BillViewController", "查看账单", "返回") {}
};

void registerBillingInterfaceClasses();
