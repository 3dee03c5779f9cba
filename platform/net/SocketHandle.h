#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/net/SocketAddress.h"
#include "platform/net/UniqueFd.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A socket object: either a TCP socket of its own that connects in the background and reports
// the outcome as one event, or a view of a descriptor owned elsewhere, for address queries.
class SocketHandle {
public:
    // 0 when connected, else the errno of the failure.
    using ConnectCallback = std::function<void(int error)>;

    // A non-blocking TCP socket of the family; nothing (errno in *error) when refused.
    static std::unique_ptr<SocketHandle> create(int family, int* error = nullptr);
    // Never closes the descriptor.
    static std::unique_ptr<SocketHandle> wrap(int fd);

    ~SocketHandle();
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;

    int nativeHandle() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }

    bool bind(const SocketAddress& address, int* error = nullptr);
    // Starts connecting. The callback runs once, on a later pass of the loop in the modes and
    // never inside this call, unless the handle is invalidated first. False (errno in *error)
    // only when the address cannot be used with this socket at all; refusals and timeouts of
    // the network arrive through the callback.
    bool connectInBackground(const SocketAddress& address, RunLoop& loop, std::vector<RunLoopMode> modes,
                             ConnectCallback callback, int* error = nullptr);

    std::optional<SocketAddress> peerAddress() const { return SocketAddress::peerOf(m_fd); }
    std::optional<SocketAddress> localAddress() const { return SocketAddress::localOf(m_fd); }

    // Stops events and hands the owned descriptor over (invalid when the handle owned none).
    UniqueFd releaseDescriptor();
    // Stops events and closes an owned descriptor.
    void invalidate();

private:
    SocketHandle() = default;
    void stopEvents();
    void report(int error);

    UniqueFd m_owned;
    int m_fd = -1;
    RunLoop* m_loop = nullptr;
    RunLoop::Id m_sourceId = 0;
    RunLoop::Id m_performId = 0;
    ConnectCallback m_callback;
    std::shared_ptr<SocketHandle*> m_alive; // lets queued callbacks see that the handle is gone
};
