#pragma once

// The datagram socket's own errors, in the domain "UdpSocketErrorDomain".
inline constexpr const char* UdpSocketErrorDomain = "UdpSocketErrorDomain";

enum UdpSocketError : int {
    UdpSocketCFSocketError = -1,
    UdpSocketNoError = 0,
    UdpSocketBadParameter = 1,
    UdpSocketIPv4Unavailable = 2,
    UdpSocketIPv6Unavailable = 3,
    UdpSocketSendTimeoutError = 4,
    UdpSocketReceiveTimeoutError = 5,
};
