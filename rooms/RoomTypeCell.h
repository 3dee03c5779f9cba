#pragma once

#include "kit/grid/GridViewCell.h"

#include <memory>

class ShadowLabel;

// A filter entry's tile (a region or a room type), laid out by its interface file.
class RoomTypeCell : public GridViewCell {
public:
    using GridViewCell::GridViewCell;
    static std::shared_ptr<RoomTypeCell> initWithXib();

    const std::shared_ptr<ShadowLabel>& lblName() const { return m_lblName; }
    void setLblName(std::shared_ptr<ShadowLabel> label) { m_lblName = std::move(label); }

private:
    std::shared_ptr<ShadowLabel> m_lblName;
};
