#include "rooms/RoomStateCell.h"

#include "kit/ShadowLabel.h"
#include "platform/graphics/UIColor.h"
#include "platform/ui/UINib.h"

std::shared_ptr<RoomStateCell> RoomStateCell::initWithXib()
{
    auto views = UINib::loadNibNamed("RoomStateCell", std::make_shared<RoomStateCell>());
    if (views.empty())
        return nullptr;
    auto tile = std::dynamic_pointer_cast<RoomStateCell>(views.back());
    if (!tile)
        return nullptr;
    for (const auto& label : {tile->m_lblYuDingShiJian, tile->m_lblRoomNo, tile->m_lblKeRenXingMing,
                              tile->m_lblDingFangRen, tile->m_lblDaoDaShiJian}) {
        if (label)
            label->setShadowColor(UIColor::clearColor());
    }
    return tile;
}
