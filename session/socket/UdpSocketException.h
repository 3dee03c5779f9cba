#pragma once

#include <stdexcept>
#include <string>

// Raised for misuse of a UdpSocket only (binding twice, binding after connecting, joining a
// group unbound or connected, using a closed socket); failures of the network are errors.
class UdpSocketException : public std::logic_error {
public:
    explicit UdpSocketException(const std::string& reason)
        : std::logic_error(reason)
    {
    }
    static constexpr const char* name() { return "UdpSocketException"; }
};
