#include "rooms/RoomInfoBarView.h"

#include "kit/ShadowLabel.h"
#include "platform/ui/UINib.h"
#include "session/DataCenter.h"
#include "session/SocketDataHandle.h"

std::shared_ptr<RoomInfoBarView> RoomInfoBarView::initWithXib()
{
    auto views = UINib::loadNibNamed("RoomInfoBarView", std::make_shared<RoomInfoBarView>());
    if (views.empty())
        return nullptr;
    auto bar = std::dynamic_pointer_cast<RoomInfoBarView>(views.back());
    if (!bar)
        return nullptr;
    const auto& room = SocketDataHandle::sharedInstance().roomState;
    const std::string consumed = room ? room->XiaoFeiJinE : "";
    const std::string booker = room && !room->ReserveClerk.empty() ? room->ReserveClerk : "客订";
    if (bar->m_lblYiXiaoFei)
        bar->m_lblYiXiaoFei->setText(consumed);
    if (bar->m_lblDingFangRen)
        bar->m_lblDingFangRen->setText(booker);
    if (bar->m_lblRoomName)
        bar->m_lblRoomName->setText(DataCenter::sharedInstance().roomNo);
    return bar;
}
