#pragma once

#include "platform/net/SocketAddress.h"

#include <cstdint>
#include <optional>
#include <string>

// The first address of each family for a host as the socket classes name hosts: no host (or an
// empty one) is the wildcard addresses when binding (passive) and EAI_NONAME otherwise;
// "localhost" and "loopback" are 127.0.0.1 and ::1; anything else is looked up before this
// returns. A family the host has no address of stays empty.
struct HostAddresses {
    std::optional<SocketAddress> v4;
    std::optional<SocketAddress> v6;
    int resolverError = 0; // EAI_... code, 0 on success
    int systemError = 0;   // errno when resolverError is EAI_SYSTEM

    // socketType is SOCK_STREAM or SOCK_DGRAM.
    static HostAddresses of(const std::optional<std::string>& host, std::uint16_t port, int socketType, bool passive);
};
