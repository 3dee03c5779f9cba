#pragma once

#include "platform/ui/UIView.h"

#include <memory>

class ShadowLabel;
class UIImageView;

// The strip at the top of the screens that work on one room: the room, who booked it and how
// much it has consumed, as the session knew them when the bar was made.
class RoomInfoBarView : public UIView {
public:
    using UIView::UIView;
    // The bar of the interface file "RoomInfoBarView", filled; nothing when the file yields no view.
    static std::shared_ptr<RoomInfoBarView> initWithXib();

    const std::shared_ptr<ShadowLabel>& lblRoomName() const { return m_lblRoomName; }
    const std::shared_ptr<ShadowLabel>& lblDingFangRen() const { return m_lblDingFangRen; }
    const std::shared_ptr<ShadowLabel>& lblYiXiaoFei() const { return m_lblYiXiaoFei; }
    void setLblRoomName(std::shared_ptr<ShadowLabel> label) { m_lblRoomName = std::move(label); }
    void setLblDingFangRen(std::shared_ptr<ShadowLabel> label) { m_lblDingFangRen = std::move(label); }
    void setLblYiXiaoFei(std::shared_ptr<ShadowLabel> label) { m_lblYiXiaoFei = std::move(label); }
    void setQnLogo(std::shared_ptr<UIImageView> view) { m_qnLogo = view; }
    void setLogo(std::shared_ptr<UIImageView> view) { m_logo = view; }

private:
    std::shared_ptr<ShadowLabel> m_lblRoomName;
    std::shared_ptr<ShadowLabel> m_lblDingFangRen;
    std::shared_ptr<ShadowLabel> m_lblYiXiaoFei;
    std::weak_ptr<UIImageView> m_qnLogo;
    std::weak_ptr<UIImageView> m_logo;
};
