#pragma once

#include "platform/ui/UITableViewCell.h"

// A table cell meant for the action rows of the room details. It adds nothing to the plain cell
// (its set-up and selection are the base class's) and the details do not use it: their action
// rows are plain cells styled when shown.
class RoomInfoBtnCell : public UITableViewCell {
public:
    using UITableViewCell::UITableViewCell;
};
