#include "platform/net/StreamPair.h"

namespace {
StreamPair pairOver(const std::shared_ptr<StreamConnection>& connection)
{
    return {std::make_shared<ReadStream>(connection), std::make_shared<WriteStream>(connection)};
}
} // namespace

StreamPair StreamPair::toHost(std::string host, std::uint16_t port)
{
    return pairOver(StreamConnection::toHost(std::move(host), port));
}

StreamPair StreamPair::withSocket(UniqueFd fd)
{
    return pairOver(StreamConnection::withSocket(std::move(fd)));
}
