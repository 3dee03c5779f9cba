#pragma once

#include <ctime>
#include <optional>

#include <string>

// The server's wall clock, as the replies print it. Tests fix it to a known moment.
class VenueClock {
public:
    std::time_t now() const;
    void fix(std::optional<std::time_t> moment) { m_fixed = moment; }

    std::string dateTimeText() const; // "2024-05-18 20:31:05"
    std::string timeText() const;     // "20:31", as tiles show booking and check-in times
    std::string dateStamp() const;    // "20240518"

private:
    std::string format(const char* pattern) const;

    std::optional<std::time_t> m_fixed;
};

// Amounts as the venue prints them: whole numbers without decimals, others with two.
std::string amountText(double amount);
