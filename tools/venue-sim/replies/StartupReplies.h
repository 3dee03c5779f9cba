#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// Replies of the session's start: server date (60), venue identity (182), hall binding (90),
// clerk by password (102), clerk login (99) and client binding (100).
void installStartupReplies(CommandTable& table, ReplyContext context);
