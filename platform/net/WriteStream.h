#pragma once

#include "platform/net/StreamConnection.h"

#include <memory>

// The output side of a connection. Releasing it closes it.
class WriteStream {
public:
    explicit WriteStream(std::shared_ptr<StreamConnection> connection);
    ~WriteStream();
    WriteStream(const WriteStream&) = delete;
    WriteStream& operator=(const WriteStream&) = delete;

    // Events: OpenCompleted, CanAcceptBytes, ErrorOccurred, EndEncountered.
    void setClient(std::uint32_t events, StreamConnection::Client client);
    bool scheduleInRunLoop(RunLoop& loop, const std::vector<RunLoopMode>& modes);
    void unscheduleFromRunLoop(RunLoop& loop, const std::vector<RunLoopMode>& modes);
    bool open();
    // Switches the connection to TLS (see StreamConnection::startTLS); both streams are given
    // the same settings.
    bool setTLSSettings(const TlsSettings& settings, std::vector<std::uint8_t> alreadyReceived = {});
    void close();

    StreamStatus status() const;
    StreamError error() const;
    // >= 0 bytes taken, -1 on an error, StreamWouldBlock when the descriptor is full.
    // Sends never raise SIGPIPE.
    std::ptrdiff_t write(const std::uint8_t* bytes, std::size_t length);
    bool canAcceptBytes() const;
    int nativeHandle() const;

private:
    std::shared_ptr<StreamConnection> m_connection;
};
