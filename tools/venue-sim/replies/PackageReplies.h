#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// The item groups of a package dish (107) and of a set of free items (108), each with the
// dishes that may be chosen in it.
void installPackageReplies(CommandTable& table, ReplyContext context);
