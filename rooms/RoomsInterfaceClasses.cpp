#include "rooms/RoomsInterfaceClasses.h"

#include "kit/KitInterfaceClasses.h"
#include "platform/ui/InterfaceRegistry.h"
#include "platform/ui/UIImageView.h"
#include "platform/ui/UIScrollView.h"
#include "platform/ui/UISegmentedControl.h"
#include "kit/ShadowLabel.h"
#include "rooms/InitViewController.h"
#include "rooms/LoginViewController.h"
#include "rooms/RoomInfoBarView.h"
#include "rooms/RoomStateCell.h"
#include "rooms/RoomStatesViewController.h"
#include "rooms/RoomTypeCell.h"

void registerRoomsInterfaceClasses()
{
    registerKitInterfaceClasses();
    auto& registry = InterfaceRegistry::shared();
    registry.registerControllerClass<InitViewController>("InitViewController", "UIViewController");
    registry.registerControllerClass<LoginViewController>("LoginViewController", "UIViewController")
        .action("btnLoginAction:", &LoginViewController::btnLoginAction);
    registry.registerControllerClass<RoomStatesViewController>("RoomStatesViewController", "UIViewController")
        .outlet("roomStatesScrollView", &RoomStatesViewController::setRoomStatesScrollView)
        .outlet("roomTypesScrollView", &RoomStatesViewController::setRoomTypesScrollView)
        .outlet("segment", &RoomStatesViewController::setSegment)
        .outlet("segmentBGImageView", &RoomStatesViewController::setSegmentBGImageView)
        .outlet("lblClerkName", &RoomStatesViewController::setLblClerkName);
    registry.registerViewClass<RoomStateCell>("RoomStateCell", "GridViewCell")
        .outlet("lblRoomNo", &RoomStateCell::setLblRoomNo)
        .outlet("lblKeRenXingMing", &RoomStateCell::setLblKeRenXingMing)
        .outlet("lblDingFangRen", &RoomStateCell::setLblDingFangRen)
        .outlet("lblDaoDaShiJian", &RoomStateCell::setLblDaoDaShiJian)
        .outlet("lblYuDingShiJian", &RoomStateCell::setLblYuDingShiJian);
    registry.registerViewClass<RoomTypeCell>("RoomTypeCell", "GridViewCell").outlet("lblName", &RoomTypeCell::setLblName);
    registry.registerViewClass<RoomInfoBarView>("RoomInfoBarView", "UIView")
        .outlet("lblRoomName", &RoomInfoBarView::setLblRoomName)
        .outlet("lblDingFangRen", &RoomInfoBarView::setLblDingFangRen)
        .outlet("lblYiXiaoFei", &RoomInfoBarView::setLblYiXiaoFei)
        .outlet("qnLogo", &RoomInfoBarView::setQnLogo);
}
