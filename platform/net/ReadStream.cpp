#include "platform/net/ReadStream.h"

ReadStream::ReadStream(std::shared_ptr<StreamConnection> connection)
    : StreamSide(std::move(connection), StreamConnection::ReadSide)
{
}

std::ptrdiff_t ReadStream::read(std::uint8_t* buffer, std::size_t length)
{
    return m_connection->read(buffer, length);
}

bool ReadStream::hasBytesAvailable() const
{
    return m_connection->hasBytesAvailable();
}
