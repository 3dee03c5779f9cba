#pragma once

#include "tools/venue-sim/BillItem.h"

#include <string>
#include <vector>

// A mobile payment the server waits for: a bare payment code for an amount, an order paid at
// once, or a room's bill. The guest's phone is not simulated; the payment completes after the
// tablet has asked for its state a few times.
struct PendingPayment {
    enum class Purpose { Code, Order, Bill };

    std::string orderNo;
    std::string roomNo;
    std::string clerkNo;
    Purpose purpose = Purpose::Code;
    double amount = 0;
    std::vector<BillItem> items; // the order's lines, for Purpose::Order
    int polls = 0;
    bool paid = false;
};
