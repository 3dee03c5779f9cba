#pragma once

#include "tools/venue-sim/replies/ReplyContext.h"

struct PendingPayment;
class VenueRoom;

// What a room still owes: what it is charged, less what was paid.
double amountOwed(const VenueRoom& room);
// The room pays what it owes; its lines are settled and it waits for the guests to leave.
void settleRoom(const ReplyContext& context, VenueRoom& room);
// A mobile payment the guest completed: an order's lines go on the bill as paid, a bill is settled.
void completePayment(const ReplyContext& context, PendingPayment& payment);
