#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <sys/socket.h>
#include <vector>

// A socket address of any family, kept exactly as the system gave it.
class SocketAddress {
public:
    SocketAddress() = default;
    SocketAddress(const sockaddr* address, socklen_t length);

    // A literal IPv4 or IPv6 address ("127.0.0.1", "::1"); nothing for a name.
    static std::optional<SocketAddress> numeric(const std::string& host, std::uint16_t port);
    static std::optional<SocketAddress> peerOf(int fd);
    static std::optional<SocketAddress> localOf(int fd);

    int family() const { return m_length > 0 ? m_storage.ss_family : AF_UNSPEC; }
    bool isInet() const { return family() == AF_INET || family() == AF_INET6; }
    const sockaddr* data() const { return reinterpret_cast<const sockaddr*>(&m_storage); }
    socklen_t length() const { return m_length; }
    std::vector<std::uint8_t> bytes() const;

    // The standard text form of an IPv4 or IPv6 address; nothing for other families.
    std::optional<std::string> host() const;
    // Host byte order; 0 for other families.
    std::uint16_t port() const;
    void setPort(std::uint16_t port);

private:
    sockaddr_storage m_storage {};
    socklen_t m_length = 0;
};
