#pragma once

#include "platform/net/StreamConnection.h"

#include <memory>

// What the input and the output side of a connection have alike: events, run-loop scheduling,
// opening, TLS, closing and status, each for its own side. Releasing a side closes it.
class StreamSide {
public:
    StreamSide(const StreamSide&) = delete;
    StreamSide& operator=(const StreamSide&) = delete;

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
    int nativeHandle() const;

protected:
    StreamSide(std::shared_ptr<StreamConnection> connection, StreamConnection::Side side);
    ~StreamSide();

    std::shared_ptr<StreamConnection> m_connection;
    StreamConnection::Side m_side;
};
