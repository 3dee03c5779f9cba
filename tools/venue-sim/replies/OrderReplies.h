#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

class CommandTable;

// Ordering a room's dishes: the order lines of one dish (105), and confirming an order as an
// ordinary order (114), as a member-card gift (115) or paid at once by the guest's payment code
// (168). 105 remembers nothing; 114 and 115 put the lines on the room's bill; 168 waits for the
// payment (203, 205) and then puts them there as paid.
void installOrderReplies(CommandTable& table, ReplyContext context);
