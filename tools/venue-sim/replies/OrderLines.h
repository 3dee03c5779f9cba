#pragma once

#include "tools/venue-sim/BillItem.h"
#include "tools/venue-sim/ReplyBuilder.h"
#include "tools/venue-sim/VenueRequest.h"
#include "tools/venue-sim/replies/ReplyContext.h"

#include <optional>
#include <string>
#include <vector>

class VenueRoom;

// The lines of an order the tablet confirms (114, 115, 163, 168). Fields: room number, operator
// (empty in the password-only hall), staff password, the number of lines N, then six fields per
// line: dish number, name, unit price, quantity, flag ("N", or "F" for a gift) and remark. What
// a command adds (a card, a payment code) follows the lines, from `extra` on.
struct OrderRequest {
    VenueRoom* room = nullptr;
    std::string clerkName;
    std::vector<BillItem> items; // ready for the bill: names, prices and the order's group filled in
    std::size_t extra = 0;
    std::optional<ReplyBuilder> refusal;

    double amount() const;
};

OrderRequest readOrder(const ReplyContext& context, const VenueRequest& request);
