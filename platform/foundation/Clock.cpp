#include "platform/foundation/Clock.h"

#include <chrono>

TimeInterval SystemClock::now() const
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::shared_ptr<SystemClock> SystemClock::shared()
{
    static auto clock = std::make_shared<SystemClock>();
    return clock;
}
