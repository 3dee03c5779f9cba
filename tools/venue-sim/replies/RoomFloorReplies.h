#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// Replies of the room floor: the rooms with their counters (161) and one room's details (119).
void installRoomFloorReplies(CommandTable& table, ReplyContext context);
