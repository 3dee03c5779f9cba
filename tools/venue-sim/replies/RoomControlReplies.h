#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// The room's equipment: song library version (3), player (10, 15, 17, 19, 20), lights and
// climate (31), sound (33), TV channels (77) and the channel shown (78). These replies carry
// their data from line 2, without an error code; a room the venue does not have gets no answer.
void installRoomControlReplies(CommandTable& table, ReplyContext context);
