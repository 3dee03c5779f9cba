#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/net/FdEvents.h"
#include "platform/net/SocketAddress.h"
#include "platform/foundation/UniqueFd.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A socket object: a TCP socket of its own that either connects in the background and reports
// the outcome as one event, or listens and hands out accepted connections; or a view of a
// descriptor owned elsewhere, for address queries.
class SocketHandle {
public:
    // 0 when connected, else the errno of the failure.
    using ConnectCallback = std::function<void(int error)>;
    // One accepted connection, non-blocking; a descriptor the callback does not take is closed.
    using AcceptCallback = std::function<void(UniqueFd fd)>;

    // Connections taken in one readiness event at most; the rest wait for the next pass.
    static constexpr int kMostAcceptsPerEvent = 32;
    // How long accepting rests when the process or the system is out of descriptors.
    static constexpr TimeInterval kAcceptBackoff = 0.25;

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
    bool setReuseAddress(int* error = nullptr);
    // Starts connecting. The callback runs once, on a later pass of the loop in the modes and
    // never inside this call, unless the handle is invalidated first. False (errno in *error)
    // only when the address cannot be used with this socket at all; refusals and timeouts of
    // the network arrive through the callback.
    bool connectInBackground(const SocketAddress& address, RunLoop& loop, std::vector<RunLoopMode> modes,
                             ConnectCallback callback, int* error = nullptr);
    // Listens on the bound address and accepts on the loop's passes: every connection waiting
    // is taken, up to kMostAcceptsPerEvent per event; connections that died in the backlog are
    // skipped; running out of descriptors is logged and accepting rests for kAcceptBackoff.
    // The callback may invalidate or destroy the handle.
    bool listen(RunLoop& loop, std::vector<RunLoopMode> modes, AcceptCallback callback, int* error = nullptr);

    // Takes the events (connect outcome, accepts, a resting period) off their run loop, and
    // puts them on a loop in a set of modes; scheduleEvents() runs on that loop's thread.
    void unscheduleEvents();
    void scheduleEvents(RunLoop& loop, std::vector<RunLoopMode> modes);

    std::optional<SocketAddress> peerAddress() const { return SocketAddress::peerOf(m_fd); }
    std::optional<SocketAddress> localAddress() const { return SocketAddress::localOf(m_fd); }

    // Stops events and hands the owned descriptor over (invalid when the handle owned none).
    UniqueFd releaseDescriptor();
    // Stops events and closes an owned descriptor.
    void invalidate();

private:
    enum class Role { None, Connecting, Listening };

    SocketHandle() = default;
    void startEvents(RunLoop& loop, std::vector<RunLoopMode> modes, std::uint32_t kinds);
    void connectEvent();
    void acceptEvent();
    void restAccepting(int error);
    void startRest();
    void postOutcome();
    void stopEvents();
    void report(int error);

    UniqueFd m_owned;
    int m_fd = -1;
    Role m_role = Role::None;
    std::unique_ptr<FdEvents> m_events;
    RunLoop* m_loop = nullptr;
    std::vector<RunLoopMode> m_modes;
    RunLoop::Id m_performId = 0;   // a connect outcome known at once, waiting for its pass
    std::optional<int> m_outcome;
    RunLoop::Id m_restTimerId = 0; // accepting rests until it fires
    bool m_resting = false;        // resting while off every run loop
    ConnectCallback m_connectCallback;
    AcceptCallback m_acceptCallback;
    std::shared_ptr<SocketHandle*> m_alive = std::make_shared<SocketHandle*>(this);
};
