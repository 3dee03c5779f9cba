#pragma once

#include "rooms/RoomSceneViewController.h"

// The store-wine screen, reached from the room floor's bottle actions.
class StoreWineViewController : public RoomSceneViewController {
public:
    StoreWineViewController() : RoomSceneViewController("StoreWineViewController", "扫码存酒", "返回") {}
};

void registerWineInterfaceClasses();
