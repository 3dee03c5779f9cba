#pragma once

#include <string>

// A room region (or room type) offered as a filter on the room floor. The entry standing for
// all regions has an empty id.
struct ObjRoomType {
    std::string id;
    std::string name;
    std::string flag; // "roomRegion" or "roomType"
};
