#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// A room's bill (109), its open bill number (140), its unsettled lines (156), settling it in cash
// or by bank card (157), sending a member a dynamic password (159) and settling it by a chosen
// way of payment (171), where a mobile payment stays pending until the tablet has polled it.
void installBillReplies(CommandTable& table, ReplyContext context);
