// The setup part of UdpSocket: addresses, binding, connecting, groups and broadcast, options.
#include "session/socket/UdpSocket.h"

#include "platform/net/SocketAddress.h"
#include "session/socket/HostAddresses.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>

namespace {

SocketError udpError(UdpSocketError code, const char* message)
{
    return {UdpSocketErrorDomain, code, message};
}

SocketError ipv4Unavailable()
{
    return udpError(UdpSocketIPv4Unavailable, "IPv4 is unavailable due to binding/connecting using IPv6 only");
}

SocketError ipv6Unavailable()
{
    return udpError(UdpSocketIPv6Unavailable,
                    "IPv6 is unavailable due to binding/connecting using IPv4 only or is not supported on this platform");
}

SocketError netDbError(int code, const std::string& format = "%s")
{
    const std::string reason = ::gai_strerror(code);
    const auto at = format.find("%s");
    return {SocketErrorDomains::NetDB, code, format.substr(0, at) + reason + format.substr(at + 2)};
}

void fillAddress(UdpSocket::Address* out, const std::optional<SocketAddress>& address)
{
    if (out && address)
        *out = address->bytes();
}

int convert(const std::optional<std::string>& host, std::uint16_t port, bool passive, UdpSocket::Address* address4,
            UdpSocket::Address* address6)
{
    const auto found = HostAddresses::of(host, port, SOCK_DGRAM, passive);
    if (found.resolverError != 0)
        return found.resolverError;
    fillAddress(address4, found.v4);
    fillAddress(address6, found.v6);
    return 0;
}

std::optional<SocketAddress> asAddress(const UdpSocket::Address& bytes)
{
    if (bytes.empty())
        return std::nullopt;
    return SocketAddress(reinterpret_cast<const sockaddr*>(bytes.data()), static_cast<socklen_t>(bytes.size()));
}

// The index of the interface that holds the IPv6 address; 0 (any) when none does.
unsigned interfaceIndexOf(const UdpSocket::Address& address)
{
    const auto wanted = asAddress(address);
    if (!wanted || wanted->family() != AF_INET6)
        return 0;
    const auto& want = reinterpret_cast<const sockaddr_in6*>(wanted->data())->sin6_addr;
    if (IN6_IS_ADDR_UNSPECIFIED(&want))
        return 0;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return 0;
    unsigned index = 0;
    for (ifaddrs* entry = list; entry && index == 0; entry = entry->ifa_next) {
        if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET6
            && std::memcmp(&reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr, &want, sizeof want) == 0)
            index = ::if_nametoindex(entry->ifa_name);
    }
    ::freeifaddrs(list);
    return index;
}

} // namespace

// ---- addresses

int UdpSocket::convertForBindHost(const std::optional<std::string>& host, std::uint16_t port, Address* address4,
                                  Address* address6)
{
    return convert(host, port, true, address4, address6);
}

int UdpSocket::convertForSendHost(const std::optional<std::string>& host, std::uint16_t port, Address* address4,
                                  Address* address6)
{
    return convert(host, port, false, address4, address6);
}

std::string UdpSocket::addressHost4(const Address& address)
{
    const auto parsed = asAddress(address);
    if (address.size() < kAddress4Length || !parsed || !parsed->host())
        throw std::logic_error("Cannot convert address to string.");
    return *parsed->host();
}

std::string UdpSocket::addressHost6(const Address& address)
{
    const auto parsed = asAddress(address);
    if (address.size() < kAddress6Length || !parsed || !parsed->host())
        throw std::logic_error("Cannot convert address to string.");
    return *parsed->host();
}

std::string UdpSocket::addressHost(const Address& address)
{
    const auto parsed = asAddress(address);
    return parsed && parsed->family() == AF_INET ? addressHost4(address) : addressHost6(address);
}

// ---- binding

bool UdpSocket::bindToPort(std::uint16_t port, SocketError* error)
{
    return bindToAddress(std::nullopt, port, error);
}

bool UdpSocket::bindToAddress(const std::optional<std::string>& host, std::uint16_t port, SocketError* error)
{
    checkNotClosed();
    if (m_flags & kDidBind)
        throw UdpSocketException("Cannot bind a socket more than once.");
    if (m_flags & kDidConnect)
        throw UdpSocketException("Cannot bind after connecting. If needed, bind first, then connect.");
    Address address4;
    Address address6;
    if (const int code = convertForBindHost(host, port, &address4, &address6)) {
        fillError(error, netDbError(code));
        return false;
    }
    if (!address4.empty() && !isIPv4() && address6.empty()) {
        fillError(error, ipv4Unavailable());
        return false;
    }
    if (!address6.empty() && !isIPv6() && address4.empty()) {
        fillError(error, ipv6Unavailable());
        return false;
    }
    // The port the system chose for IPv4 may be taken for IPv6: another choice may not be.
    for (int attempt = 1; !bindFamilies(address4, address6, error); ++attempt) {
        if (port != 0 || attempt == kBindAttempts)
            return false;
    }
    if (!address4.empty() && address6.empty())
        closeFamily(false);
    if (!address6.empty() && address4.empty())
        closeFamily(true);
    m_flags |= kDidBind;
    return true;
}

bool UdpSocket::bindFamilies(const Address& address4, Address address6, SocketError* error)
{
    const bool with4 = isIPv4() && !address4.empty();
    const bool with6 = isIPv6() && !address6.empty();
    if (with4 && !bindFamily(true, address4, error))
        return false;
    auto v6 = asAddress(address6);
    if (with4 && with6 && v6->port() == 0) {
        // One port for both families: the one the system chose for IPv4.
        v6->setPort(SocketAddress::localOf(m_socket4.fd.get()).value_or(SocketAddress()).port());
        address6 = v6->bytes();
    }
    if (with6 && !bindFamily(false, address6, error)) {
        if (with4)
            reopenFamily(true); // all or nothing, and a bound socket cannot be unbound
        return false;
    }
    return true;
}

bool UdpSocket::bindFamily(bool v4, const Address& address, SocketError* error)
{
    const int fd = family(v4).fd.get();
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(address.data()), static_cast<socklen_t>(address.size())) == 0)
        return true;
    fillError(error, udpError(UdpSocketCFSocketError, "General CFSocket error"));
    return false;
}

// ---- connecting

bool UdpSocket::connectToHost(const std::string& host, std::uint16_t port, SocketError* error)
{
    checkNotClosed();
    if (m_flags & kDidConnect)
        throw UdpSocketException("Cannot connect a socket more than once.");
    Address address4;
    Address address6;
    if (const int code = convertForSendHost(host, port, &address4, &address6)) {
        fillError(error, netDbError(code));
        return false;
    }
    if (!address4.empty() && (isIPv4() || address6.empty()))
        return connectToAddress(address4, error);
    if (!address6.empty())
        return connectToAddress(address6, error);
    return false;
}

bool UdpSocket::connectToAddress(const Address& address, SocketError* error)
{
    checkNotClosed();
    if (m_flags & kDidConnect)
        throw UdpSocketException("Cannot connect a socket more than once.");
    if (address.size() != kAddress4Length && address.size() != kAddress6Length) {
        fillError(error, udpError(UdpSocketBadParameter, "remoteAddr parameter is not a valid address"));
        return false;
    }
    const bool v4 = address.size() == kAddress4Length;
    if (!family(v4).isValid()) {
        fillError(error, v4 ? ipv4Unavailable() : ipv6Unavailable());
        return false;
    }
    return connectFamily(v4, address, error);
}

bool UdpSocket::connectFamily(bool v4, const Address& address, SocketError* error)
{
    if (::connect(family(v4).fd.get(), reinterpret_cast<const sockaddr*>(address.data()),
                  static_cast<socklen_t>(address.size()))
        != 0) {
        fillError(error, udpError(UdpSocketCFSocketError, "General CFSocket error"));
        return false;
    }
    m_flags |= kDidConnect;
    closeFamily(!v4);
    return true;
}

// ---- groups and broadcast

bool UdpSocket::joinMulticastGroup(const std::string& group, SocketError* error)
{
    return joinMulticastGroup(group, std::nullopt, error);
}

bool UdpSocket::joinMulticastGroup(const std::string& group, const std::optional<std::string>& interfaceAddress,
                                   SocketError* error)
{
    checkNotClosed();
    if (!(m_flags & kDidBind))
        throw UdpSocketException("Must bind a socket before joining a multicast group.");
    if (m_flags & kDidConnect)
        throw UdpSocketException("Cannot join a multicast group if connected.");
    Address interface4, interface6, group4, group6;
    if (const int code = convertForBindHost(interfaceAddress, 0, &interface4, &interface6)) {
        fillError(error, netDbError(code, "Invalid parameter 'address': %s"));
        return false;
    }
    if (const int code = convertForBindHost(group, 0, &group4, &group6)) {
        fillError(error, netDbError(code, "Invalid parameter 'group': %s"));
        return false;
    }
    if (isIPv4() && !group4.empty() && !interface4.empty())
        return joinGroup(true, group4, interface4, error);
    if (isIPv6() && !group6.empty() && !interface6.empty())
        return joinGroup(false, group6, interface6, error);
    fillError(error, udpError(UdpSocketBadParameter, "Invalid group and/or address, not matching existing socket(s)"));
    return false;
}

bool UdpSocket::joinGroup(bool v4, const Address& group, const Address& interface, SocketError* error)
{
    int result;
    if (v4) {
        ip_mreq request {};
        request.imr_multiaddr = reinterpret_cast<const sockaddr_in*>(group.data())->sin_addr;
        request.imr_interface = reinterpret_cast<const sockaddr_in*>(interface.data())->sin_addr;
        result = ::setsockopt(m_socket4.fd.get(), IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request);
    } else {
        ipv6_mreq request {};
        request.ipv6mr_multiaddr = reinterpret_cast<const sockaddr_in6*>(group.data())->sin6_addr;
        request.ipv6mr_interface = interfaceIndexOf(interface);
        result = ::setsockopt(m_socket6.fd.get(), IPPROTO_IPV6, IPV6_JOIN_GROUP, &request, sizeof request);
    }
    if (result != 0) {
        fillError(error, {"kCFStreamErrorDomainPOSIX", result,
                          v4 ? "Unable to join IPv4 multicast group" : "Unable to join IPv6 multicast group"});
        return false;
    }
    closeFamily(!v4);
    return true;
}

bool UdpSocket::enableBroadcast(bool on, SocketError* error)
{
    if (!isIPv4())
        return true;
    const int value = on ? 1 : 0;
    const int result = ::setsockopt(m_socket4.fd.get(), SOL_SOCKET, SO_BROADCAST, &value, sizeof value);
    if (result == 0)
        return true;
    fillError(error, {"kCFStreamErrorDomainPOSIX", result, "Unable to enable broadcast message sending"});
    return false;
}

// ---- ends

std::optional<UdpSocket::Address> UdpSocket::endAddress(bool local) const
{
    const int fd = isIPv4() ? m_socket4.fd.get() : m_socket6.fd.get();
    const auto address = local ? SocketAddress::localOf(fd) : SocketAddress::peerOf(fd);
    if (!address)
        return std::nullopt;
    return address->bytes();
}

std::optional<std::string> UdpSocket::endHost(bool local)
{
    auto& cached = local ? m_cachedLocalHost : m_cachedConnectedHost;
    if (cached)
        return cached;
    const auto address = endAddress(local);
    std::optional<std::string> host;
    if (address)
        host = asAddress(*address)->host();
    if (m_flags & (local ? kDidBind : kDidConnect))
        cached = host;
    return host;
}

std::uint16_t UdpSocket::endPort(bool local)
{
    auto& cached = local ? m_cachedLocalPort : m_cachedConnectedPort;
    if (cached)
        return cached;
    const auto address = endAddress(local);
    const std::uint16_t port = address ? asAddress(*address)->port() : 0;
    if (m_flags & (local ? kDidBind : kDidConnect))
        cached = port;
    return port;
}

std::optional<std::string> UdpSocket::localHost()
{
    return endHost(true);
}

std::uint16_t UdpSocket::localPort()
{
    return endPort(true);
}

std::optional<std::string> UdpSocket::connectedHost()
{
    return endHost(false);
}

std::uint16_t UdpSocket::connectedPort()
{
    return endPort(false);
}

bool UdpSocket::isConnectedToHost(const std::string& host, std::uint16_t port)
{
    return connectedHost() == host && connectedPort() == port;
}

std::uint32_t UdpSocket::maximumTransmissionUnit() const
{
    const bool v4 = isIPv4();
    const int fd = v4 ? m_socket4.fd.get() : m_socket6.fd.get();
    if (fd < 0)
        return 0;
    int mtu = 0;
    socklen_t length = sizeof mtu;
    if (m_flags & kDidConnect) {
        const bool known = v4 ? ::getsockopt(fd, IPPROTO_IP, IP_MTU, &mtu, &length) == 0
                              : ::getsockopt(fd, IPPROTO_IPV6, IPV6_MTU, &mtu, &length) == 0;
        return known && mtu > 0 ? static_cast<std::uint32_t>(mtu) : 0;
    }
    // Unconnected: the interface that holds the local address.
    const auto local = SocketAddress::localOf(fd);
    ifaddrs* list = nullptr;
    if (!local || ::getifaddrs(&list) != 0)
        return 0;
    std::string name;
    for (ifaddrs* entry = list; entry && name.empty(); entry = entry->ifa_next) {
        if (entry->ifa_addr && entry->ifa_addr->sa_family == local->family()
            && SocketAddress(entry->ifa_addr, local->length()).host() == local->host())
            name = entry->ifa_name;
    }
    ::freeifaddrs(list);
    ifreq request {};
    if (name.empty() || name.size() >= sizeof request.ifr_name)
        return 0;
    std::memcpy(request.ifr_name, name.c_str(), name.size());
    return ::ioctl(fd, SIOCGIFMTU, &request) == 0 && request.ifr_mtu > 0 ? static_cast<std::uint32_t>(request.ifr_mtu)
                                                                         : 0;
}
