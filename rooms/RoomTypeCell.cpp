#include "rooms/RoomTypeCell.h"

#include "kit/ShadowLabel.h"
#include "platform/graphics/UIColor.h"
#include "platform/ui/UINib.h"

std::shared_ptr<RoomTypeCell> RoomTypeCell::initWithXib()
{
    auto views = UINib::loadNibNamed("RoomTypeCell", std::make_shared<RoomTypeCell>());
    if (views.empty())
        return nullptr;
    auto tile = std::dynamic_pointer_cast<RoomTypeCell>(views.back());
    if (tile && tile->m_lblName)
        tile->m_lblName->setShadowColor(UIColor::clearColor());
    return tile;
}
