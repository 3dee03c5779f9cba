#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// Member cards and mobile payments: checking a card (127), an order paid by member card (163),
// a payment code of either provider for an amount (202, 204) and the state of a pending payment
// (203, 205), which reads paid once the tablet has asked a few times.
void installMemberReplies(CommandTable& table, ReplyContext context);
