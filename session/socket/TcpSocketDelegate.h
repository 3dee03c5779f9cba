#pragma once

#include "platform/foundation/Clock.h"
#include "session/socket/SocketError.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

class RunLoop;
class TcpSocket;

// What a TcpSocket tells its owner. Every method is optional; the empty defaults behave as an
// owner that does not care: a connect goes ahead, a timeout is not extended.
//
// Every callback is made on the socket's run loop from inside its own event handling, and may
// call back into the socket, including disconnecting it or starting a new connection: the
// socket looks at its state again after each callback.
class TcpSocketDelegate {
public:
    virtual ~TcpSocketDelegate() = default;

    // A begun connection is closing because of an error (or, with no error, an end of stream).
    // unreadData() still works here.
    virtual void onSocketWillDisconnectWithError(TcpSocket&, const std::optional<SocketError>&) {}
    // The last act of closing a begun connection; the socket may be released here.
    virtual void onSocketDidDisconnect(TcpSocket&) {}
    // A listening socket accepted a connection. The new socket has this delegate; it lives only
    // as long as someone keeps it, and closes when released.
    virtual void onSocketDidAcceptNewSocket(TcpSocket& /*listener*/, const std::shared_ptr<TcpSocket>& /*socket*/) {}
    // The run loop the new socket is to run on, from then on the one of that loop's thread;
    // null keeps it on the listener's loop.
    virtual RunLoop* onSocketWantsRunLoopForNewSocket(TcpSocket& /*listener*/, TcpSocket& /*socket*/)
    {
        return nullptr;
    }
    // Before the connection is opened; false cancels the connect with code 1.
    virtual bool onSocketWillConnect(TcpSocket&) { return true; }
    virtual void onSocketDidConnectToHost(TcpSocket&, const std::string& /*host*/, std::uint16_t /*port*/) {}
    // The bytes are valid during the call only; copy them to keep them.
    virtual void onSocketDidReadData(TcpSocket&, std::span<const std::uint8_t> /*data*/, std::int64_t /*tag*/) {}
    virtual void onSocketDidReadPartialDataOfLength(TcpSocket&, std::size_t /*length*/, std::int64_t /*tag*/) {}
    // Seconds to extend the read by; 0 or less lets it time out.
    virtual TimeInterval onSocketShouldTimeoutReadWithTag(TcpSocket&, std::int64_t /*tag*/, TimeInterval /*elapsed*/,
                                                          std::size_t /*bytesDone*/)
    {
        return 0;
    }
    // The TLS handshake completed; what was queued after startTLS now travels encrypted.
    virtual void onSocketDidSecure(TcpSocket&) {}
    virtual void onSocketDidWriteDataWithTag(TcpSocket&, std::int64_t /*tag*/) {}
    virtual void onSocketDidWritePartialDataOfLength(TcpSocket&, std::size_t /*length*/, std::int64_t /*tag*/) {}
    virtual TimeInterval onSocketShouldTimeoutWriteWithTag(TcpSocket&, std::int64_t /*tag*/, TimeInterval /*elapsed*/,
                                                           std::size_t /*bytesDone*/)
    {
        return 0;
    }
};
