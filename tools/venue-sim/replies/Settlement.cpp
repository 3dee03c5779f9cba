#include "tools/venue-sim/replies/Settlement.h"

#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"

#include <algorithm>

double amountOwed(const VenueRoom& room)
{
    return std::max(0.0, room.receivable() - room.paidMoney);
}

void settleRoom(const ReplyContext& context, VenueRoom& room)
{
    room.payBill(amountOwed(room));
    room.settle(context.clock->timeText());
}

void completePayment(const ReplyContext& context, PendingPayment& payment)
{
    if (payment.paid)
        return;
    payment.paid = true;
    VenueRoom* room = context.data->room(payment.roomNo);
    if (!room)
        return;
    switch (payment.purpose) {
    case PendingPayment::Purpose::Order:
        for (auto item : payment.items) {
            item.settled = true;
            room->addToBill(std::move(item));
        }
        room->paidMoney += payment.amount;
        break;
    case PendingPayment::Purpose::Bill:
        settleRoom(context, *room);
        break;
    case PendingPayment::Purpose::Code:
        break;
    }
}
