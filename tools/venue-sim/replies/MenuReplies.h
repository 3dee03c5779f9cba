#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// The menu: categories (103), the dishes of a category or the recommended ones (104), and the
// remark texts a dish offers (106).
void installMenuReplies(CommandTable& table, ReplyContext context);
