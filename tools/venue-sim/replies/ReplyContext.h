#pragma once

class VenueClock;
class VenueData;

// What the reply handlers work on: the venue, which they may change, and the clock they print.
// Both belong to the server and outlive the handlers.
struct ReplyContext {
    VenueData* data = nullptr;
    const VenueClock* clock = nullptr;
};
