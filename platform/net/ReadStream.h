#pragma once

#include "platform/net/StreamConnection.h"

#include <memory>

// The input side of a connection. Releasing it closes it.
class ReadStream {
public:
    explicit ReadStream(std::shared_ptr<StreamConnection> connection);
    ~ReadStream();
    ReadStream(const ReadStream&) = delete;
    ReadStream& operator=(const ReadStream&) = delete;

    // Events: OpenCompleted, HasBytesAvailable, ErrorOccurred, EndEncountered.
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
    // > 0 bytes, 0 at the end, -1 on an error, StreamWouldBlock when nothing is there yet.
    std::ptrdiff_t read(std::uint8_t* buffer, std::size_t length);
    bool hasBytesAvailable() const;
    int nativeHandle() const;

private:
    std::shared_ptr<StreamConnection> m_connection;
};
