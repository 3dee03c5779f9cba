#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// The promoters a flower order can be credited to (141), searched by the pinyin of their stage
// names.
void installPromoterReplies(CommandTable& table, ReplyContext context);
