#pragma once

#include "rooms/RoomSceneViewController.h"

// The member-card gift screen of a room, opened from the room floor.
class VipCardFreeViewController : public RoomSceneViewController {
public:
    VipCardFreeViewController() : RoomSceneViewController("VipCardFreeViewController", "会员卡赠", "取消") {}
};
