#pragma once

#include "session/socket/SocketError.h"

#include <cstdint>
#include <span>
#include <string>

class UdpSocket;

// What a UdpSocket tells its owner; every method is optional. Callbacks are made on the socket's
// run loop and may call back into the socket, close it, or release it.
class UdpSocketDelegate {
public:
    virtual ~UdpSocketDelegate() = default;

    // The system took the datagram.
    virtual void onUdpSocketDidSendDataWithTag(UdpSocket&, std::int64_t /*tag*/) {}
    virtual void onUdpSocketDidNotSendDataWithTag(UdpSocket&, std::int64_t /*tag*/, const SocketError&) {}
    // A datagram for the current receive; false drops it and keeps the receive waiting for the
    // next. The bytes are valid during the call only.
    virtual bool onUdpSocketDidReceiveData(UdpSocket&, std::span<const std::uint8_t> /*data*/, std::int64_t /*tag*/,
                                           const std::string& /*host*/, std::uint16_t /*port*/)
    {
        return true;
    }
    virtual void onUdpSocketDidNotReceiveDataWithTag(UdpSocket&, std::int64_t /*tag*/, const SocketError&) {}
    // The socket was closed; told once, on a later pass.
    virtual void onUdpSocketDidClose(UdpSocket&) {}
};
