#include "platform/net/ReadStream.h"

ReadStream::ReadStream(std::shared_ptr<StreamConnection> connection)
    : m_connection(std::move(connection))
{
}

ReadStream::~ReadStream()
{
    m_connection->close(StreamConnection::ReadSide);
}

void ReadStream::setClient(std::uint32_t events, StreamConnection::Client client)
{
    m_connection->setClient(StreamConnection::ReadSide, events, std::move(client));
}

bool ReadStream::scheduleInRunLoop(RunLoop& loop, const std::vector<RunLoopMode>& modes)
{
    return m_connection->schedule(StreamConnection::ReadSide, loop, modes);
}

void ReadStream::unscheduleFromRunLoop(RunLoop& loop, const std::vector<RunLoopMode>& modes)
{
    m_connection->unschedule(StreamConnection::ReadSide, loop, modes);
}

bool ReadStream::open()
{
    return m_connection->open(StreamConnection::ReadSide);
}

void ReadStream::close()
{
    m_connection->close(StreamConnection::ReadSide);
}

StreamStatus ReadStream::status() const
{
    return m_connection->status(StreamConnection::ReadSide);
}

StreamError ReadStream::error() const
{
    return m_connection->error(StreamConnection::ReadSide);
}

std::ptrdiff_t ReadStream::read(std::uint8_t* buffer, std::size_t length)
{
    return m_connection->read(buffer, length);
}

bool ReadStream::hasBytesAvailable() const
{
    return m_connection->hasBytesAvailable();
}

int ReadStream::nativeHandle() const
{
    return m_connection->nativeHandle();
}

bool ReadStream::setTLSSettings(const TlsSettings& settings, std::vector<std::uint8_t> alreadyReceived)
{
    return m_connection->startTLS(settings, std::move(alreadyReceived));
}
