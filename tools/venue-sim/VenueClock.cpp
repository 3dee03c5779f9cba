#include "tools/venue-sim/VenueClock.h"

#include <cmath>
#include <cstdio>

std::time_t VenueClock::now() const
{
    return m_fixed ? *m_fixed : std::time(nullptr);
}

std::string VenueClock::format(const char* pattern) const
{
    const std::time_t moment = now();
    std::tm parts {};
    localtime_r(&moment, &parts);
    char buffer[64];
    const std::size_t length = std::strftime(buffer, sizeof buffer, pattern, &parts);
    return std::string(buffer, length);
}

std::string VenueClock::dateTimeText() const
{
    return format("%Y-%m-%d %H:%M:%S");
}

std::string VenueClock::timeText() const
{
    return format("%H:%M");
}

std::string VenueClock::dateStamp() const
{
    return format("%Y%m%d");
}

std::string amountText(double amount)
{
    char buffer[48];
    if (std::fabs(amount - std::round(amount)) < 0.005)
        std::snprintf(buffer, sizeof buffer, "%.0f", std::round(amount));
    else
        std::snprintf(buffer, sizeof buffer, "%.2f", amount);
    return buffer;
}
