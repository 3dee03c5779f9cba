#pragma once

#include "rooms/RoomSceneViewController.h"

class UIControl;

// The ordering screen of a room, opened from the room floor. Its recommendations button opens
// the recommended dishes over it.
class OrderViewController : public RoomSceneViewController {
public:
    OrderViewController() : RoomSceneViewController("OrderViewController", "点单", "返回") {}

    void btnRecommendAction(UIControl& sender);
};

void registerOrderingInterfaceClasses();
