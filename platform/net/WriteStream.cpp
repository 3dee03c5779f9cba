#include "platform/net/WriteStream.h"

WriteStream::WriteStream(std::shared_ptr<StreamConnection> connection)
    : m_connection(std::move(connection))
{
}

WriteStream::~WriteStream()
{
    m_connection->close(StreamConnection::WriteSide);
}

void WriteStream::setClient(std::uint32_t events, StreamConnection::Client client)
{
    m_connection->setClient(StreamConnection::WriteSide, events, std::move(client));
}

bool WriteStream::scheduleInRunLoop(RunLoop& loop, const std::vector<RunLoopMode>& modes)
{
    return m_connection->schedule(StreamConnection::WriteSide, loop, modes);
}

void WriteStream::unscheduleFromRunLoop(RunLoop& loop, const std::vector<RunLoopMode>& modes)
{
    m_connection->unschedule(StreamConnection::WriteSide, loop, modes);
}

bool WriteStream::open()
{
    return m_connection->open(StreamConnection::WriteSide);
}

void WriteStream::close()
{
    m_connection->close(StreamConnection::WriteSide);
}

StreamStatus WriteStream::status() const
{
    return m_connection->status(StreamConnection::WriteSide);
}

StreamError WriteStream::error() const
{
    return m_connection->error(StreamConnection::WriteSide);
}

std::ptrdiff_t WriteStream::write(const std::uint8_t* bytes, std::size_t length)
{
    return m_connection->write(bytes, length);
}

bool WriteStream::canAcceptBytes() const
{
    return m_connection->canAcceptBytes();
}

int WriteStream::nativeHandle() const
{
    return m_connection->nativeHandle();
}

bool WriteStream::setTLSSettings(const TlsSettings& settings, std::vector<std::uint8_t> alreadyReceived)
{
    return m_connection->startTLS(settings, std::move(alreadyReceived));
}
