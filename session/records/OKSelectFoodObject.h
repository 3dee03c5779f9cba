#pragma once

#include "session/records/OKFolioObject.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The order being built for the current room: the header of the last order-lines reply and
// the lines themselves. Lines are shared with the screens that show and edit them.
struct OKSelectFoodObject {
    std::string ErrorCode;
    std::optional<std::string> ErrorMsg;
    std::string HasMultFreeItems;
    std::string MultFreeCount;
    std::string MultFreeItemsSetID;
    std::string GroupID;
    std::string DataCount;
    std::vector<std::shared_ptr<OKFolioObject>> foodSetArray;
    std::vector<std::shared_ptr<OKFolioObject>> oldChoiceArray;
};
