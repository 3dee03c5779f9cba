#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/net/HostResolver.h"
#include "platform/net/SocketAddress.h"
#include "platform/net/StreamError.h"
#include "platform/net/StreamEvent.h"
#include "platform/net/TlsSession.h"
#include "platform/foundation/UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The connection behind a read stream and a write stream: one descriptor, one run-loop source,
// and the events of both sides. ReadStream and WriteStream are the public faces; this class
// holds what they share.
//
// Events, as the socket classes rely on them:
// - open-completed is delivered on a later pass, never from inside open();
// - has-bytes and can-accept fire once and are armed again by the next read() or write();
// - end of stream and errors are reported once per side, with the error's (domain, code);
// - a closed or unscheduled side is told nothing more;
// - the descriptor is closed exactly once: when both sides are closed or the connection dies.
// A connection stays with the run loop it is scheduled on until both sides are unscheduled from
// every mode; it may then be scheduled on another loop, from that loop's thread. It must be
// closed before the loop it is on is destroyed.
class StreamConnection : public std::enable_shared_from_this<StreamConnection> {
public:
    enum Side : int { ReadSide = 0, WriteSide = 1 };
    using Client = std::function<void(StreamEvent)>;

    // Connects on open(): a literal address at once, a name after a lookup off the run loop.
    static std::shared_ptr<StreamConnection> toHost(std::string host, std::uint16_t port);
    // Takes over a connected socket; open() completes on the next pass.
    static std::shared_ptr<StreamConnection> withSocket(UniqueFd fd);

    ~StreamConnection();
    StreamConnection(const StreamConnection&) = delete;
    StreamConnection& operator=(const StreamConnection&) = delete;

    // events is a mask of StreamEvent; an empty client unregisters.
    void setClient(Side side, std::uint32_t events, Client client);
    // False when the connection already belongs to another run loop.
    bool schedule(Side side, RunLoop& loop, const std::vector<RunLoopMode>& modes);
    void unschedule(Side side, RunLoop& loop, const std::vector<RunLoopMode>& modes);
    // False when the side was opened before, or a name must be looked up and no run loop is
    // known yet. Network failures are never reported here but as error events.
    bool open(Side side);
    void close(Side side);

    // Switches the open connection to TLS. The handshake runs from here on and the sides hear
    // nothing but errors until it completes; then each gets one readiness event (bytes
    // available, can accept bytes). Bytes read off the connection earlier and not used are
    // handed back for the handshake. Once started, a further call agrees at once, and on a
    // secured connection is told as a completed handshake again. False when the connection is
    // not open or the settings cannot be used.
    bool startTLS(const TlsSettings& settings, std::vector<std::uint8_t> alreadyReceived = {});

    StreamStatus status(Side side) const { return m_sides[side].status; }
    StreamError error(Side side) const { return m_sides[side].error; }

    // > 0 bytes, 0 at the end of the stream, -1 on an error, StreamWouldBlock when empty.
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t length);
    // >= 0 bytes taken, -1 on an error, StreamWouldBlock when full.
    std::ptrdiff_t write(const std::uint8_t* bytes, std::size_t length);
    bool hasBytesAvailable() const;
    bool canAcceptBytes() const;
    // The connected descriptor, -1 while there is none.
    int nativeHandle() const;

private:
    enum class Phase { Idle, Resolving, Connecting, Connected, Failed, Finished };
    struct SideState {
        Client client;
        std::uint32_t subscribed = 0;
        std::vector<RunLoopMode> modes;
        StreamStatus status = StreamStatus::NotOpen;
        StreamError error;
        std::uint32_t pending = 0;
        bool armed = false;
        RunLoop::Id dispatchId = 0;
    };

    StreamConnection() = default;
    bool startConnecting();
    void startResolving();
    void moveTo(RunLoop& loop);
    void resolved(const HostResolver::Result& result);
    void tryNextCandidate();
    void becomeConnected();
    void fail(StreamError error);
    void finish();
    void sourceEvent(std::uint32_t events);
    void updateSource();
    void dropSource();
    std::uint32_t interest() const;
    std::vector<RunLoopMode> sourceModes() const;
    void scheduleDispatch(Side side);
    void cancelDispatch(Side side);
    void deliverOrSchedule(Side side);
    void deliver(Side side);
    bool sideIsLive(Side side) const;
    void endOfStream();
    void continueHandshake();
    void tellHandshakeDone();
    std::ptrdiff_t tlsRead(std::uint8_t* buffer, std::size_t length);
    std::ptrdiff_t tlsWrite(const std::uint8_t* bytes, std::size_t length);

    Phase m_phase = Phase::Idle;
    std::string m_host;
    std::uint16_t m_port = 0;
    std::vector<SocketAddress> m_candidates;
    std::size_t m_nextCandidate = 0;
    int m_lastConnectError = 0;
    std::shared_ptr<HostResolver> m_resolver;
    UniqueFd m_fd;

    RunLoop* m_loop = nullptr;
    RunLoop::Id m_sourceId = 0;
    int m_sourceFd = -1;
    std::vector<RunLoopMode> m_sourceModes;
    SideState m_sides[2];

    std::unique_ptr<TlsSession> m_tls;
    bool m_handshaking = false;
    std::uint32_t m_handshakeWaitsFor = 0; // RunLoop::Readable or Writable
    bool m_readWaitsForWritable = false;   // the TLS layer must send before it can read on
    bool m_writeWaitsForReadable = false;  // or receive before it can send on
};
