#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// Room actions confirmed with a staff password: seat guests (96), cancel the seating (97), clear
// the room (162, and 110, which also names the client), and the member-card consumption in the
// hall (160). The actions change the room, so the next floor reply shows the new state.
void installRoomActionReplies(CommandTable& table, ReplyContext context);
