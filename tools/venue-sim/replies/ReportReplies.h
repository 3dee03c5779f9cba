#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// A room's service report (75) and saving one (76).
void installReportReplies(CommandTable& table, ReplyContext context);
