#include "platform/net/SocketAddress.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

SocketAddress::SocketAddress(const sockaddr* address, socklen_t length)
{
    if (!address || length == 0)
        return;
    m_length = std::min<socklen_t>(length, sizeof m_storage);
    std::memcpy(&m_storage, address, m_length);
}

std::optional<SocketAddress> SocketAddress::numeric(const std::string& host, std::uint16_t port)
{
    sockaddr_in v4 {};
    if (::inet_pton(AF_INET, host.c_str(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        return SocketAddress(reinterpret_cast<const sockaddr*>(&v4), sizeof v4);
    }
    sockaddr_in6 v6 {};
    if (::inet_pton(AF_INET6, host.c_str(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        return SocketAddress(reinterpret_cast<const sockaddr*>(&v6), sizeof v6);
    }
    return std::nullopt;
}

std::optional<SocketAddress> SocketAddress::peerOf(int fd)
{
    sockaddr_storage storage {};
    socklen_t length = sizeof storage;
    if (fd < 0 || ::getpeername(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0)
        return std::nullopt;
    return SocketAddress(reinterpret_cast<const sockaddr*>(&storage), length);
}

std::optional<SocketAddress> SocketAddress::localOf(int fd)
{
    sockaddr_storage storage {};
    socklen_t length = sizeof storage;
    if (fd < 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0)
        return std::nullopt;
    return SocketAddress(reinterpret_cast<const sockaddr*>(&storage), length);
}

std::vector<std::uint8_t> SocketAddress::bytes() const
{
    const auto* begin = reinterpret_cast<const std::uint8_t*>(&m_storage);
    return {begin, begin + m_length};
}

std::optional<std::string> SocketAddress::host() const
{
    char text[INET6_ADDRSTRLEN] = {};
    if (family() == AF_INET && m_length >= sizeof(sockaddr_in)) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&m_storage);
        if (::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text))
            return std::string(text);
    } else if (family() == AF_INET6 && m_length >= sizeof(sockaddr_in6)) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&m_storage);
        if (::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text))
            return std::string(text);
    }
    return std::nullopt;
}

std::uint16_t SocketAddress::port() const
{
    if (family() == AF_INET && m_length >= sizeof(sockaddr_in))
        return ntohs(reinterpret_cast<const sockaddr_in*>(&m_storage)->sin_port);
    if (family() == AF_INET6 && m_length >= sizeof(sockaddr_in6))
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&m_storage)->sin6_port);
    return 0;
}

void SocketAddress::setPort(std::uint16_t port)
{
    if (family() == AF_INET && m_length >= sizeof(sockaddr_in))
        reinterpret_cast<sockaddr_in*>(&m_storage)->sin_port = htons(port);
    else if (family() == AF_INET6 && m_length >= sizeof(sockaddr_in6))
        reinterpret_cast<sockaddr_in6*>(&m_storage)->sin6_port = htons(port);
}
