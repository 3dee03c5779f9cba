#pragma once

// The socket's own errors, in the domain "TcpSocketErrorDomain".
inline constexpr const char* TcpSocketErrorDomain = "TcpSocketErrorDomain";

enum TcpSocketError : int {
    TcpSocketCFSocketError = -1,
    TcpSocketNoError = 0,
    TcpSocketCanceledError = 1,
    TcpSocketConnectTimeoutError = 2,
    TcpSocketReadMaxedOutError = 3,
    TcpSocketReadTimeoutError = 4,
    TcpSocketWriteTimeoutError = 5,
    TcpSocketTLSHandshakeTimeoutError = 6,
};
