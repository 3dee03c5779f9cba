#pragma once

#include <string>

// Where a stream error's code comes from.
enum class StreamErrorDomain {
    None = 0,
    Posix = 1,    // errno values
    OSStatus = 2, // kept for the socket layer's mapping; nothing here produces it
    Mach,
    NetDB, // getaddrinfo() codes (EAI_...)
    NetServices,
    Socks,
    SystemConfiguration,
    Ssl,
};

struct StreamError {
    StreamErrorDomain domain = StreamErrorDomain::None;
    int code = 0;
    std::string reason; // for SSL errors: what the TLS layer said

    bool isError() const { return domain != StreamErrorDomain::None || code != 0; }
    bool operator==(const StreamError&) const = default;
};
