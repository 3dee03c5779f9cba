#pragma once

#include "kit/grid/GridViewCell.h"

#include <memory>

class ShadowLabel;

// A room's tile on the floor, laid out by its interface file.
class RoomStateCell : public GridViewCell {
public:
    using GridViewCell::GridViewCell;
    // The tile of the interface file "RoomStateCell", its labels without shadow; nothing when the
    // file yields no tile.
    static std::shared_ptr<RoomStateCell> initWithXib();

    const std::shared_ptr<ShadowLabel>& lblRoomNo() const { return m_lblRoomNo; }
    const std::shared_ptr<ShadowLabel>& lblKeRenXingMing() const { return m_lblKeRenXingMing; }
    const std::shared_ptr<ShadowLabel>& lblDingFangRen() const { return m_lblDingFangRen; }
    const std::shared_ptr<ShadowLabel>& lblDaoDaShiJian() const { return m_lblDaoDaShiJian; }
    const std::shared_ptr<ShadowLabel>& lblYuDingShiJian() const { return m_lblYuDingShiJian; }
    void setLblRoomNo(std::shared_ptr<ShadowLabel> label) { m_lblRoomNo = std::move(label); }
    void setLblKeRenXingMing(std::shared_ptr<ShadowLabel> label) { m_lblKeRenXingMing = std::move(label); }
    void setLblDingFangRen(std::shared_ptr<ShadowLabel> label) { m_lblDingFangRen = std::move(label); }
    void setLblDaoDaShiJian(std::shared_ptr<ShadowLabel> label) { m_lblDaoDaShiJian = std::move(label); }
    void setLblYuDingShiJian(std::shared_ptr<ShadowLabel> label) { m_lblYuDingShiJian = std::move(label); }

private:
    std::shared_ptr<ShadowLabel> m_lblRoomNo;
    std::shared_ptr<ShadowLabel> m_lblKeRenXingMing;
    std::shared_ptr<ShadowLabel> m_lblDingFangRen;
    std::shared_ptr<ShadowLabel> m_lblDaoDaShiJian;
    std::shared_ptr<ShadowLabel> m_lblYuDingShiJian;
};
