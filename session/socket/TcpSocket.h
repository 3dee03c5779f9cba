#pragma once

#include "platform/foundation/NSTimer.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/ReadStream.h"
#include "platform/net/SocketAddress.h"
#include "platform/net/SocketHandle.h"
#include "platform/net/WriteStream.h"
#include "session/socket/AsyncReadPacket.h"
#include "session/socket/AsyncWritePacket.h"
#include "session/socket/SocketError.h"
#include "session/socket/SocketLoopWork.h"
#include "session/socket/TcpSocketDelegate.h"
#include "session/socket/TcpSocketError.h"
#include "session/socket/TcpSocketException.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

// The run-loop TCP socket: one object per connection, driven entirely by the events of its run
// loop, with queued reads and writes reported to one delegate with the caller's tag. It starts
// no thread and never waits for the network.
//
// Ownership: the owner holds the socket through a shared_ptr (create() is the only way to make
// one) and the socket holds its delegate without owning it: the delegate is normally that
// owner, and must outlive the socket or be cleared first. While one of its events is handled
// the socket keeps itself alive, so the delegate may drop or replace it from any callback.
// Releasing a socket closes it silently: no delegate method is called from the destructor.
//
// All calls belong to the thread of the run loop it was created for.
class TcpSocket : public std::enable_shared_from_this<TcpSocket> {
    struct Passkey {};

public:
    enum Flag : std::uint16_t {
        kEnablePreBuffering = 0x0001,
        kDidStartConnect = 0x0002,
        kDidCompleteOpenForRead = 0x0004,
        kDidCompleteOpenForWrite = 0x0008,
        kStartingReadTLS = 0x0010,
        kStartingWriteTLS = 0x0020,
        kForbidReadsWrites = 0x0040,
        kDisconnectAfterReads = 0x0080,
        kDisconnectAfterWrites = 0x0100,
        kClosingWithError = 0x0200,
        kDequeueReadScheduled = 0x0400,
        kDequeueWriteScheduled = 0x0800,
        kSocketCanAcceptBytes = 0x1000,
        kSocketHasBytesAvailable = 0x2000,
    };
    // The longest a TLS handshake may take when nothing queued behind it has a shorter timeout.
    static constexpr TimeInterval kTLSHandshakeTimeout = 60;

    // The run loop is the one the socket attaches to when it connects, and on which all its
    // events, timers and deferred work run.
    static std::shared_ptr<TcpSocket> create(TcpSocketDelegate* delegate = nullptr, std::int64_t userData = 0,
                                             RunLoop& runLoop = RunLoop::main());
    TcpSocket(Passkey, TcpSocketDelegate* delegate, std::int64_t userData, RunLoop& runLoop);
    ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    TcpSocketDelegate* delegate() const { return m_delegate; }
    void setDelegate(TcpSocketDelegate* delegate) { m_delegate = delegate; }
    bool canSafelySetDelegate() const;
    std::int64_t userData() const { return m_userData; }
    void setUserData(std::int64_t value) { m_userData = value; }
    std::uint16_t flags() const { return m_flags; }
    const std::vector<RunLoopMode>& runLoopModes() const { return m_runLoopModes; }

    SocketHandle* getCFSocket() const;
    ReadStream* getCFReadStream() const { return m_readStream.get(); }
    WriteStream* getCFWriteStream() const { return m_writeStream.get(); }

    bool isDisconnected() const;
    bool isConnected() const;
    // Throws TcpSocketException when called on another thread than the one the socket is
    // attached on.
    void checkForThreadSafety() const;

    // ---- endpoints
    std::optional<std::string> connectedHost() const;
    std::uint16_t connectedPort() const;
    std::optional<std::string> localHost() const;
    std::uint16_t localPort() const;
    std::optional<std::string> connectedHost4() const;
    std::uint16_t connectedPort4() const;
    std::optional<std::string> localHost4() const;
    std::uint16_t localPort4() const;
    std::optional<std::string> connectedHost6() const;
    std::uint16_t connectedPort6() const;
    std::optional<std::string> localHost6() const;
    std::uint16_t localPort6() const;
    std::optional<SocketAddress> connectedAddress() const;
    std::optional<SocketAddress> localAddress() const;
    bool isIPv4() const;
    bool isIPv6() const;

    // ---- connecting. True when the attempt has started; every later outcome reaches the
    // delegate. False (with the error when asked) leaves the socket idle without callbacks.
    // A negative timeout means none.
    bool connectToHost(const std::string& host, std::uint16_t port, TimeInterval timeout = -1,
                       SocketError* error = nullptr);
    bool connectToAddress(const SocketAddress& remote, const SocketAddress* interface = nullptr,
                          TimeInterval timeout = -1, SocketError* error = nullptr);

    // ---- listening. The interface is a literal address, a name of this host, "localhost" or
    // "loopback" (127.0.0.1 and ::1), or nothing or empty for the wildcard addresses of both
    // families; port 0 lets the system choose one port for both. True when listening on at
    // least one family; false (with the error when asked) leaves the socket idle. A name is
    // looked up before this returns. Each accepted connection becomes a new socket with this
    // socket's delegate and modes, handed over in onSocketDidAcceptNewSocket.
    bool acceptOnInterface(const std::optional<std::string>& interface, std::uint16_t port,
                           SocketError* error = nullptr);
    bool acceptOnPort(std::uint16_t port, SocketError* error = nullptr);

    // ---- disconnecting
    // Closes at once; a begun connection reports only onSocketDidDisconnect, before this returns.
    void disconnect();
    void disconnectAfterReading();
    void disconnectAfterWriting();
    void disconnectAfterReadingAndWriting();

    // ---- reading. A read that breaks a rule (zero length, empty terminator, a maximum shorter
    // than the terminator, an offset past the caller's buffer, or after a disconnect-after call)
    // is ignored. A caller's buffer is filled in place from the offset.
    using Buffer = std::shared_ptr<std::vector<std::uint8_t>>;
    void readDataWithTimeout(TimeInterval timeout, std::int64_t tag);
    void readDataWithTimeout(TimeInterval timeout, Buffer buffer, std::size_t offset, std::int64_t tag);
    void readDataWithTimeout(TimeInterval timeout, Buffer buffer, std::size_t offset, std::size_t maxLength,
                             std::int64_t tag);
    void readDataToLength(std::size_t length, TimeInterval timeout, std::int64_t tag);
    void readDataToLength(std::size_t length, TimeInterval timeout, Buffer buffer, std::size_t offset,
                          std::int64_t tag);
    void readDataToData(std::vector<std::uint8_t> term, TimeInterval timeout, std::int64_t tag);
    void readDataToData(std::vector<std::uint8_t> term, TimeInterval timeout, Buffer buffer, std::size_t offset,
                        std::int64_t tag);
    void readDataToData(std::vector<std::uint8_t> term, TimeInterval timeout, std::size_t maxLength,
                        std::int64_t tag);
    void readDataToData(std::vector<std::uint8_t> term, TimeInterval timeout, Buffer buffer, std::size_t offset,
                        std::size_t maxLength, std::int64_t tag);

    // ---- writing. Empty data, and writes after a disconnect-after call, are ignored. The bytes
    // are copied. Each pass of the run loop hands the stream as many queued writes as it takes.
    void writeData(std::span<const std::uint8_t> data, TimeInterval timeout, std::int64_t tag);
    // Bytes handed to writeData that the stream has not yet taken: a caller that keeps writing
    // while the peer does not read sees this grow, and can stop producing.
    std::size_t writeBacklog() const;

    // ---- TLS. Reads and writes queued before this call complete in the clear; those queued
    // after it wait for the handshake and then travel encrypted; onSocketDidSecure tells when.
    // The settings (keys in platform/net/TlsSettings.h) go to the stream layer as they are;
    // none at all make a client that checks the server's chain and name. Settings the stream
    // layer refuses close the socket with code -1; a failed handshake closes it with an error
    // of the SSL domain carrying OpenSSL's reason. A handshake that outlasts the shortest
    // timeout of the reads and writes queued behind it (kTLSHandshakeTimeout at most) closes the
    // socket with code 6.
    void startTLS(TlsSettings settings = {});

    // bytesDone / total of the current read, 1.0 for reads without a fixed length; NaN (and
    // zeros stored) with no current read.
    float progressOfReadReturningTag(std::int64_t* tag, std::uint64_t* done, std::uint64_t* total) const;
    float progressOfWriteReturningTag(std::int64_t* tag, std::uint64_t* done, std::uint64_t* total) const;
    // Pre-buffering is on from creation and nothing turns it off.
    void enablePreBuffering() { m_flags |= kEnablePreBuffering; }
    // Inside onSocketWillDisconnectWithError only: the unfinished read's bytes, then anything
    // pre-buffered, then whatever the connection still holds (read without waiting). Null at
    // any other time. The buffer is emptied when the callback returns.
    const std::vector<std::uint8_t>* unreadData();

    static std::vector<std::uint8_t> CRLFData() { return {0x0D, 0x0A}; }
    static std::vector<std::uint8_t> CRData() { return {0x0D}; }
    static std::vector<std::uint8_t> LFData() { return {0x0A}; }
    static std::vector<std::uint8_t> ZeroData() { return {0x00}; }

    // ---- run-loop placement. Sources, streams, timers and deferred work move together; work
    // already due is posted again in the new placement. Changes are made on the thread of the
    // socket's loop; after moveToRunLoop() the socket belongs to the new loop's thread (it is
    // attached there by that thread, on its next pass).
    bool setRunLoopModes(std::vector<RunLoopMode> modes); // false for none
    bool addRunLoopMode(const RunLoopMode& mode);         // false for an empty name
    bool removeRunLoopMode(const RunLoopMode& mode);      // false for the last mode
    bool moveToRunLoop(RunLoop* runLoop);                 // false for none
    // One line for logs: endpoints, queues, the current read and write, streams, draining.
    std::string description() const;

    // ---- errors
    static SocketError getErrnoError();
    static SocketError getSocketError();
    std::optional<SocketError> getStreamError() const;
    static SocketError getAbortError();
    static SocketError getConnectTimeoutError();
    static SocketError getReadMaxedOutError();
    static SocketError getReadTimeoutError();
    static SocketError getWriteTimeoutError();
    static SocketError getTLSHandshakeTimeoutError();
    static std::optional<SocketError> errorFromCFStreamError(StreamError error);

private:
    using Generation = std::uint64_t;

    RunLoop& loop() const { return m_runLoop ? *m_runLoop : *m_homeRunLoop; }
    std::weak_ptr<TcpSocket> weakSelf() { return weak_from_this(); }

    // events
    void doCFReadStreamCallback(StreamEvent event);
    void doCFWriteStreamCallback(StreamEvent event);
    void doSocketOpen(int error);
    void doStreamOpen();

    // listening and accepting
    bool listeningAddresses(const std::optional<std::string>& interface, std::uint16_t port,
                            std::optional<SocketAddress>& address4, std::optional<SocketAddress>& address6,
                            SocketError* error) const;
    bool listenOn(std::optional<SocketAddress> address4, std::optional<SocketAddress> address6, SocketError* error);
    bool listenWith(SocketHandle& socket, const SocketAddress& address, bool isV4, SocketError* error);
    void doAcceptFromSocket(bool fromSocket4, UniqueFd fd);
    void startAccepted(RunLoop& runLoop);

    // placement
    void changeModes(std::vector<RunLoopMode> modes);
    void cancelPendingWork();
    void detachFrom(RunLoop& runLoop);
    void attachTo(RunLoop& runLoop);
    void postPlacementWork();
    std::string endpointDescription(bool local) const;

    // connecting steps
    bool checkCanConnect() const;
    bool createStreamsToHost(const std::string& host, std::uint16_t port, SocketError* error);
    bool createStreamsFromNative(UniqueFd fd, SocketError* error);
    bool attachStreamsToRunLoop(RunLoop* runLoop, SocketError* error);
    bool configureStreamsAndReturnError(SocketError* error);
    bool openStreamsAndReturnError(SocketError* error);
    bool createSocketForAddress(const SocketAddress& remote, SocketError* error);
    bool bindSocketToAddress(const SocketAddress* interface, SocketError* error);
    bool attachSocketsToRunLoop(RunLoop* runLoop, SocketError* error);
    bool configureSocketAndReturnError(SocketError* error);
    bool connectSocketToAddress(const SocketAddress& remote, SocketError* error);
    void startConnectTimeout(TimeInterval timeout);
    void endConnectTimeout();
    void doConnectTimeout();
    bool setSocketFromStreamsAndReturnError(SocketError* error);
    bool askWillConnect(SocketError* error);

    // closing
    void emptyQueues();
    void closeWithError(std::optional<SocketError> error);
    void close(bool notify = true);
    void maybeScheduleDisconnect();
    bool readSideIdle() const { return m_readQueue.empty() && !m_currentRead; }
    bool writeSideIdle() const { return m_writeQueue.empty() && !m_currentWrite; }

    // TLS
    void maybeStartTLS();
    void onTLSHandshakeSuccessful();
    bool markerMustWait(bool isTlsMarker) const;
    TimeInterval tlsHandshakeTimeout() const;
    void endTLSHandshakeTimeout();
    void doTLSHandshakeTimeout();

    // reading
    void queueRead(std::unique_ptr<AsyncReadPacket> packet);
    void scheduleDequeueRead();
    void maybeDequeueRead();
    bool hasBytesAvailable() const;
    std::ptrdiff_t readIntoBuffer(std::uint8_t* buffer, std::size_t length);
    std::size_t readLengthForNonTerm() const;
    std::size_t readLengthForTermWithPreBuffer(bool& found) const;
    std::size_t prebufferReadLengthForTerm() const;
    std::size_t limitByCallerBuffer(std::size_t length) const;
    bool searchForTermAfterPreBuffering(std::size_t justRead);
    // What one read from the pre-buffer or the stream came to. Only Progressed lets the
    // loop in doBytesAvailable go on.
    enum class ReadStep { Progressed, Paused, Complete, MaxedOut, EndOfStream, StreamFailed };
    ReadStep readStep(std::size_t& totalBytesRead);
    void doBytesAvailable();
    void completeCurrentRead();
    void endCurrentRead();
    void startReadTimer(TimeInterval seconds);
    void doReadTimeout();
    void recoverUnreadData();

    // writing
    void scheduleDequeueWrite();
    void maybeDequeueWrite();
    // Takes the next queued write up; false when there is none it can take now.
    bool takeNextWrite();
    // Sends what the stream takes of the current write; true when it completed and the
    // connection it went on is still this one.
    bool doSendBytes();
    void completeCurrentWrite();
    void endCurrentWrite();
    void startWriteTimer(TimeInterval seconds);
    void doWriteTimeout();

    std::shared_ptr<NSTimer> makeTimer(TimeInterval seconds, void (TcpSocket::*action)());

    // The progress of the read or write under way, none when there is none (NaN, zeros).
    struct Progress {
        std::int64_t tag = 0;
        std::uint64_t done = 0;
        std::uint64_t total = 0;
    };
    static float reportProgress(std::optional<Progress> progress, std::int64_t* tag, std::uint64_t* done,
                                std::uint64_t* total);

    int m_nativeSocket4 = -1;
    int m_nativeSocket6 = -1;
    std::unique_ptr<SocketHandle> m_socket4;
    std::unique_ptr<SocketHandle> m_socket6;
    std::shared_ptr<ReadStream> m_readStream;
    std::shared_ptr<WriteStream> m_writeStream;
    RunLoop* m_homeRunLoop; // the loop of the thread the socket belongs to
    RunLoop* m_runLoop = nullptr; // the loop attached to; null while idle
    std::thread::id m_runLoopThread;
    std::vector<RunLoopMode> m_runLoopModes {RunLoopModes::Default};
    std::shared_ptr<NSTimer> m_connectTimer;
    std::shared_ptr<NSTimer> m_tlsHandshakeTimer;

    std::deque<std::unique_ptr<AsyncReadPacket>> m_readQueue;
    std::unique_ptr<AsyncReadPacket> m_currentRead;
    std::shared_ptr<NSTimer> m_readTimer;
    std::vector<std::uint8_t> m_partialReadBuffer;

    std::deque<std::unique_ptr<AsyncWritePacket>> m_writeQueue;
    std::unique_ptr<AsyncWritePacket> m_currentWrite;
    std::size_t m_queuedWriteBytes = 0; // the bytes of the writes in m_writeQueue
    std::shared_ptr<NSTimer> m_writeTimer;

    TcpSocketDelegate* m_delegate = nullptr; // not owned
    std::uint16_t m_flags = kEnablePreBuffering;
    std::int64_t m_userData = 0;

    // Counts connections: every close moves it on, so code that called the delegate can tell
    // that the connection it was serving is gone.
    Generation m_generation = 0;
    RunLoop::Id m_readDequeueId = 0;
    RunLoop::Id m_writeDequeueId = 0;
    RunLoop::Id m_disconnectId = 0;
};
