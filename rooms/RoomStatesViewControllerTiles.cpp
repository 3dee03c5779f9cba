// The floor's two grids as data source: room tiles coloured by display state, and the filter
// strip with the chosen entry in a darker green.
#include "kit/ShadowLabel.h"
#include "kit/UIColorQN.h"
#include "kit/grid/GridView.h"
#include "platform/ui/CALayer.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIScrollView.h"
#include "rooms/RoomStateCell.h"
#include "rooms/RoomStatesViewController.h"
#include "rooms/RoomTypeCell.h"
#include "session/DataCenter.h"
#include "session/SocketDataHandle.h"

namespace {

// A new tile's frame and layer look, set once; reused tiles keep them.
void styleNewTile(GridViewCell& tile, const CGSize& size)
{
    tile.setFrame(CGRectMake(0, 0, size.width, size.height));
    auto& layer = tile.layer();
    layer.masksToBounds = false;
    layer.cornerRadius = 4;
    layer.borderColor = UIColorQN::getColor("669933");
    layer.borderWidth = 3;
    layer.shadowColor = UIColor::colorWithWhite(0.5, 1);
    layer.shadowOffset = CGSizeMake(5, 5);
    layer.shadowRadius = 3;
    layer.shadowPath = tile.contentView() ? tile.contentView()->bounds() : tile.bounds();
}

void setText(const std::shared_ptr<ShadowLabel>& label, const std::string& text)
{
    if (label)
        label->setText(text);
}

} // namespace

std::int64_t RoomStatesViewController::numberOfItemsInGridView(GridView& grid)
{
    if (grid.tag() == RoomGridTag)
        return static_cast<std::int64_t>(SocketDataHandle::sharedInstance().tempRoomArray.size());
    if (grid.tag() == FilterGridTag)
        return static_cast<std::int64_t>(DataCenter::sharedInstance().mRoomTypes.size());
    return 0;
}

CGSize RoomStatesViewController::GridViewSizeForItemsInInterfaceOrientation(GridView& grid, UIInterfaceOrientation)
{
    if (grid.tag() == RoomGridTag) {
        const CGRect container = m_roomStatesScrollView ? m_roomStatesScrollView->bounds() : grid.bounds();
        return CGSizeMake(container.size.width / 5 - 4, container.size.height / 5 - 4);
    }
    if (grid.tag() == FilterGridTag)
        return CGSizeMake(80, 46);
    return CGSizeMake(0, 0);
}

std::shared_ptr<GridViewCell> RoomStatesViewController::GridViewCellForItemAtIndex(GridView& grid, std::int64_t index)
{
    const CGSize size = GridViewSizeForItemsInInterfaceOrientation(grid, UIApplication::sharedApplication().statusBarOrientation());
    if (grid.tag() == RoomGridTag) {
        const auto& rooms = SocketDataHandle::sharedInstance().tempRoomArray;
        if (index < 0 || index >= static_cast<std::int64_t>(rooms.size()))
            return nullptr;
        auto tile = std::dynamic_pointer_cast<RoomStateCell>(grid.dequeueReusableCell());
        if (!tile) {
            tile = RoomStateCell::initWithXib();
            if (!tile)
                return nullptr;
            styleNewTile(*tile, size);
        }
        fillRoomTile(*tile, *rooms[static_cast<std::size_t>(index)]);
        return tile;
    }
    if (grid.tag() == FilterGridTag) {
        const auto& types = DataCenter::sharedInstance().mRoomTypes;
        if (index < 0 || index >= static_cast<std::int64_t>(types.size()))
            return nullptr;
        auto tile = std::dynamic_pointer_cast<RoomTypeCell>(grid.dequeueReusableCell());
        if (!tile) {
            tile = RoomTypeCell::initWithXib();
            if (!tile)
                return nullptr;
            styleNewTile(*tile, size);
        }
        const auto& entry = types[static_cast<std::size_t>(index)];
        if (auto label = tile->lblName()) {
            label->setText(entry.name);
            label->setTextColor(entry.id.empty() ? UIColor::whiteColor() : UIColor::blackColor());
        }
        if (entry.flag == "roomType")
            tile->setBackgroundColor(UIColorQN::getColor(entry.id == m_roomTypeID ? "0c681a" : "00cc00"));
        else if (entry.flag == "roomRegion")
            tile->setBackgroundColor(UIColorQN::getColor(entry.id == m_roomRegionID ? "0e731d" : "00cc00"));
        return tile;
    }
    return nullptr;
}

void RoomStatesViewController::fillRoomTile(RoomStateCell& tile, const RoomStatesObject& room)
{
    setText(tile.lblRoomNo(), room.RoomNo + "(" + room.LowLimitMoney + ")");
    setText(tile.lblKeRenXingMing(), room.GuestName);
    setText(tile.lblDingFangRen(), room.ReserveClerk);
    setText(tile.lblDaoDaShiJian(), "");
    setText(tile.lblYuDingShiJian(), "");
    switch (room.MyRoomState) {
    case RoomDisplayFree:
        tile.setBackgroundColor(UIColorQN::getColor("CCCCCC"));
        break;
    case RoomDisplaySeating:
        tile.setBackgroundColor(UIColor::cyanColor());
        break;
    case RoomDisplayBooked:
        tile.setBackgroundColor(UIColorQN::getColor("00CC00"));
        setText(tile.lblDaoDaShiJian(), "抵:" + room.ArriveDateTime);
        setText(tile.lblYuDingShiJian(), "订:" + room.ReserveDateTime);
        break;
    case RoomDisplayOpen:
        tile.setBackgroundColor(UIColorQN::getColor("CC3333"));
        setText(tile.lblDaoDaShiJian(), "开:" + room.CheckInDateTime);
        setText(tile.lblYuDingShiJian(), "应收:" + room.StrYingShou);
        break;
    case RoomDisplaySettling:
        tile.setBackgroundColor(UIColorQN::getColor("006633"));
        setText(tile.lblYuDingShiJian(), "应收:" + room.StrYingShou);
        break;
    case RoomDisplayCleaning:
        tile.setBackgroundColor(UIColorQN::getColor("8080ff"));
        break;
    case RoomDisplayMerged:
        tile.setBackgroundColor(UIColor::purpleColor());
        break;
    case RoomDisplayOutOfOrder:
        tile.setBackgroundColor(UIColor::yellowColor());
        break;
    default:
        break; // an unknown state keeps the tile's colour
    }
}
