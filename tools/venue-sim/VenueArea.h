#pragma once

#include <string>

// A room region (a floor or wing of the hall) or a room type: both travel as an id and a name.
// Room types also carry the prices and modes their rooms inherit.
struct VenueArea {
    std::string id;
    std::string name;
    std::string lowLimit;       // minimum spend, for room types
    std::string priceId;        // price scheme, for room types
    std::string roomMoneyMode;  // charging mode code, for room types
    std::string settleMode;     // settlement mode code, for room types
    std::string printLocate;    // printer of the region's bar
};
