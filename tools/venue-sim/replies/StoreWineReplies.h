#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// Guests' bottles at the bar: the drinks that may be stored (183), handing stored bottles back
// by their code (201), a room's pending store request (210) and deleting one (211), storing
// bottles (212) and the guest's name and phone (213).
void installStoreWineReplies(CommandTable& table, ReplyContext context);
