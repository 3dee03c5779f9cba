#include "platform/net/WriteStream.h"

WriteStream::WriteStream(std::shared_ptr<StreamConnection> connection)
    : StreamSide(std::move(connection), StreamConnection::WriteSide)
{
}

std::ptrdiff_t WriteStream::write(const std::uint8_t* bytes, std::size_t length)
{
    return m_connection->write(bytes, length);
}

bool WriteStream::canAcceptBytes() const
{
    return m_connection->canAcceptBytes();
}
