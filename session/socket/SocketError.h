#pragma once

#include <string>
#include <utility>

// An error as the socket classes report it: a domain name, a code within it and, where one is
// known, a readable description.
struct SocketError {
    std::string domain;
    int code = 0;
    std::string description;

    bool operator==(const SocketError&) const = default;
};

// Stores the error where the caller asked for one; calls that fail take an optional out pointer.
inline void fillError(SocketError* out, SocketError error)
{
    if (out)
        *out = std::move(error);
}

// The system's error number as an error of the POSIX domain, with the system's text for it.
SocketError posixError(int code);

namespace SocketErrorDomains {
inline constexpr const char* Posix = "NSPOSIXErrorDomain";
inline constexpr const char* OSStatus = "NSOSStatusErrorDomain";
inline constexpr const char* Mach = "NSMachErrorDomain";
inline constexpr const char* NetDB = "kCFStreamErrorDomainNetDB";
inline constexpr const char* NetServices = "kCFStreamErrorDomainNetServices";
inline constexpr const char* Socks = "kCFStreamErrorDomainSOCKS";
inline constexpr const char* SystemConfiguration = "kCFStreamErrorDomainSystemConfiguration";
inline constexpr const char* Ssl = "kCFStreamErrorDomainSSL";
inline constexpr const char* Unlisted = "CFStreamError (unlisted domain)";
} // namespace SocketErrorDomains
