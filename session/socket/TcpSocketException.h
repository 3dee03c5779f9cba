#pragma once

#include <stdexcept>
#include <string>

// Raised for misuse of a TcpSocket only (connecting without a delegate, connecting twice,
// touching it from another thread); failures of the network are reported as errors instead.
class TcpSocketException : public std::logic_error {
public:
    explicit TcpSocketException(const std::string& reason)
        : std::logic_error(reason)
    {
    }
    static constexpr const char* name() { return "TcpSocketException"; }
};
