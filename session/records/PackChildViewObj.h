#pragma once

#include "session/records/OKFolioObject.h"
#include "session/records/OKFoodObject.h"
#include "session/records/OKPackChild.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// What the dish popover hands to the package screen: the groups to choose from, the order
// lines that led to the choice, their order group and the package dish.
struct PackChildViewObj {
    std::vector<std::shared_ptr<OKPackChild>> packArray;
    std::map<std::string, std::string> dict;
    std::vector<std::shared_ptr<OKFolioObject>> selectedFoods;
    std::string sGroupID;
    std::shared_ptr<OKFoodObject> food;
};
