#include "platform/net/StreamSide.h"

StreamSide::StreamSide(std::shared_ptr<StreamConnection> connection, StreamConnection::Side side)
    : m_connection(std::move(connection))
    , m_side(side)
{
}

StreamSide::~StreamSide()
{
    m_connection->close(m_side);
}

void StreamSide::setClient(std::uint32_t events, StreamConnection::Client client)
{
    m_connection->setClient(m_side, events, std::move(client));
}

bool StreamSide::scheduleInRunLoop(RunLoop& loop, const std::vector<RunLoopMode>& modes)
{
    return m_connection->schedule(m_side, loop, modes);
}

void StreamSide::unscheduleFromRunLoop(RunLoop& loop, const std::vector<RunLoopMode>& modes)
{
    m_connection->unschedule(m_side, loop, modes);
}

bool StreamSide::open()
{
    return m_connection->open(m_side);
}

void StreamSide::close()
{
    m_connection->close(m_side);
}

StreamStatus StreamSide::status() const
{
    return m_connection->status(m_side);
}

StreamError StreamSide::error() const
{
    return m_connection->error(m_side);
}

int StreamSide::nativeHandle() const
{
    return m_connection->nativeHandle();
}

bool StreamSide::setTLSSettings(const TlsSettings& settings, std::vector<std::uint8_t> alreadyReceived)
{
    return m_connection->startTLS(settings, std::move(alreadyReceived));
}
