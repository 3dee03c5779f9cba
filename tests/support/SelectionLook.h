#pragma once

#include "platform/ui/UITableViewCell.h"
#include "platform/ui/ViewRenderer.h"

#include <cmath>
#include <cstdint>
#include <string>

// What a table cell shows of selection, e.g. "selected, fill, lit text", or "plain": the states
// it holds, whether its selection fill covers its own background in the drawn picture (read at
// a corner no text reaches) and whether its labels draw lit. The index path a table keeps says
// nothing of this: a row can be let go by its table and still look chosen.
inline std::string selectionLook(UITableViewCell& cell)
{
    std::string look;
    const auto add = [&look](bool shown, const char* what) {
        if (shown)
            look += (look.empty() ? "" : ", ") + std::string(what);
    };
    add(cell.isSelected(), "selected");
    add(cell.isHighlighted(), "highlighted");
    const auto picture = ViewRenderer::render(cell);
    const auto corner = picture ? picture->pixelAt(1, 1) : UIImage::Pixel {};
    const auto ground = cell.backgroundColor() ? cell.backgroundColor()->rgba() : UIColor::RGBA {};
    const auto near = [](std::uint8_t drawn, double wanted) { return std::abs(drawn - wanted * 255) < 3; };
    add(!near(corner.red, ground.red) || !near(corner.green, ground.green) || !near(corner.blue, ground.blue), "fill");
    add(cell.textLabel()->isHighlighted(), "lit text");
    add(cell.detailTextLabel() && cell.detailTextLabel()->isHighlighted(), "lit detail");
    return look.empty() ? "plain" : look;
}
