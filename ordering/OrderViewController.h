#pragma once

#include "rooms/RoomSceneViewController.h"

// The ordering screen of a room, opened from the room floor.
class OrderViewController : public RoomSceneViewController {
public:
    OrderViewController() : RoomSceneViewController("OrderViewController", "点单", "返回") {}
};

void registerOrderingInterfaceClasses();
