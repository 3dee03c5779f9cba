#pragma once

#include "tools/venue-sim/VenueData.h"

#include <string>
#include <vector>

// A small venue of known shape for the server tests: two regions, two room types, two clerks
// (8801 王丽 with password 2580, 8802 陈建国 with 1357; the hall is bound to 8801), and one room
// per entry of `states` ("free", "open", ...), numbered A01, A02, ... and placed in region 1 and 2
// by turns (odd positions in region 1).
std::string sampleVenueJson(const std::vector<std::string>& states);
VenueData sampleVenue(const std::vector<std::string>& states);
std::string roomNumber(std::size_t index); // 0 -> "A01"
