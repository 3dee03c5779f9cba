#include "session/socket/HostAddresses.h"

#include "platform/net/HostResolver.h"

#include <netdb.h>

HostAddresses HostAddresses::of(const std::optional<std::string>& host, std::uint16_t port, int socketType,
                                bool passive)
{
    HostAddresses found;
    if (!host || host->empty()) {
        if (!passive) {
            found.resolverError = EAI_NONAME;
            return found;
        }
        found.v4 = SocketAddress::numeric("0.0.0.0", port);
        found.v6 = SocketAddress::numeric("::", port);
        return found;
    }
    if (*host == "localhost" || *host == "loopback") {
        found.v4 = SocketAddress::numeric("127.0.0.1", port);
        found.v6 = SocketAddress::numeric("::1", port);
        return found;
    }
    const auto result = HostResolver::resolve(*host, port, socketType, passive);
    found.resolverError = result.resolverError;
    found.systemError = result.systemError;
    for (const auto& address : result.addresses) {
        if (address.family() == AF_INET && !found.v4)
            found.v4 = address;
        else if (address.family() == AF_INET6 && !found.v6)
            found.v6 = address;
    }
    return found;
}
