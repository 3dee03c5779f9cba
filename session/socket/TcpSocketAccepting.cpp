// The listening part of TcpSocket: binding, accepting and handing over accepted connections.
#include "session/socket/TcpSocket.h"

#include "session/socket/HostAddresses.h"

#include <netdb.h>

namespace {

SocketError resolverError(const HostAddresses& result)
{
    if (result.resolverError == EAI_SYSTEM && result.systemError != 0)
        return posixError(result.systemError);
    return {SocketErrorDomains::NetDB, result.resolverError, ::gai_strerror(result.resolverError)};
}

} // namespace

bool TcpSocket::acceptOnPort(std::uint16_t port, SocketError* error)
{
    return acceptOnInterface(std::nullopt, port, error);
}

bool TcpSocket::acceptOnInterface(const std::optional<std::string>& interface, std::uint16_t port, SocketError* error)
{
    if (!m_delegate)
        throw TcpSocketException("Attempting to accept without a delegate. Set a delegate first.");
    if (!isDisconnected())
        throw TcpSocketException("Attempting to accept while connected or accepting connections. Disconnect first.");
    emptyQueues();
    std::optional<SocketAddress> address4;
    std::optional<SocketAddress> address6;
    if (!listeningAddresses(interface, port, address4, address6, error))
        return false;
    SocketError failure;
    if (!listenOn(std::move(address4), std::move(address6), &failure)) {
        m_socket4.reset();
        m_socket6.reset();
        m_runLoop = nullptr;
        fillError(error, std::move(failure));
        return false;
    }
    m_flags |= kDidStartConnect;
    return true;
}

bool TcpSocket::listeningAddresses(const std::optional<std::string>& interface, std::uint16_t port,
                                   std::optional<SocketAddress>& address4, std::optional<SocketAddress>& address6,
                                   SocketError* error) const
{
    HostAddresses found = HostAddresses::of(interface, port, SOCK_STREAM, true);
    address4 = found.v4;
    address6 = found.v6;
    if (address4 || address6)
        return true;
    // A lookup that answers nothing usable fails as a lookup that finds nothing.
    if (found.resolverError == 0)
        found.resolverError = EAI_NONAME;
    fillError(error, resolverError(found));
    return false;
}

bool TcpSocket::listenOn(std::optional<SocketAddress> address4, std::optional<SocketAddress> address6,
                         SocketError* error)
{
    int code = 0;
    if (address4 && !(m_socket4 = SocketHandle::create(AF_INET, &code))) {
        fillError(error, posixError(code));
        return false;
    }
    if (address6)
        m_socket6 = SocketHandle::create(AF_INET6, &code); // without it, IPv4 alone listens
    if (!m_socket4 && !m_socket6) {
        fillError(error, posixError(code));
        return false;
    }
    m_runLoop = m_homeRunLoop;
    m_runLoopThread = std::this_thread::get_id();
    if (m_socket4 && !listenWith(*m_socket4, *address4, true, error))
        return false;
    if (m_socket4 && m_socket6 && address6->port() == 0)
        address6->setPort(m_socket4->localAddress().value_or(SocketAddress()).port());
    return !m_socket6 || listenWith(*m_socket6, *address6, false, error);
}

bool TcpSocket::listenWith(SocketHandle& socket, const SocketAddress& address, bool isV4, SocketError* error)
{
    std::weak_ptr<TcpSocket> weak = weakSelf();
    auto onAccept = [weak, isV4](UniqueFd fd) {
        if (auto self = weak.lock())
            self->doAcceptFromSocket(isV4, std::move(fd));
    };
    int code = 0;
    if (socket.setReuseAddress(&code) && socket.bind(address, &code)
        && socket.listen(*m_runLoop, m_runLoopModes, std::move(onAccept), &code))
        return true;
    fillError(error, posixError(code));
    return false;
}

void TcpSocket::doAcceptFromSocket(bool fromSocket4, UniqueFd fd)
{
    if (!fd)
        return;
    auto socket = create(m_delegate, 0, loop());
    socket->m_runLoopModes = m_runLoopModes;
    const int native = fd.get();
    if (!socket->createStreamsFromNative(std::move(fd), nullptr)) {
        socket->close(false);
        return;
    }
    (fromSocket4 ? socket->m_nativeSocket4 : socket->m_nativeSocket6) = native;
    const Generation generation = m_generation;
    const Generation socketGeneration = socket->m_generation;
    if (m_delegate)
        m_delegate->onSocketDidAcceptNewSocket(*this, socket);
    if (socket->m_generation != socketGeneration)
        return; // the delegate closed the new socket already
    socket->m_flags |= kDidStartConnect;
    RunLoop* runLoop = nullptr;
    if (generation == m_generation && m_delegate)
        runLoop = m_delegate->onSocketWantsRunLoopForNewSocket(*this, *socket);
    if (socket->m_generation != socketGeneration)
        return;
    if (!runLoop || runLoop == &loop()) {
        socket->startAccepted(loop());
        return;
    }
    // Another thread's loop: the socket is attached there, by that thread. Whoever keeps the
    // socket keeps it alive until then; a socket nobody kept is simply gone.
    socket->m_homeRunLoop = runLoop;
    std::weak_ptr<TcpSocket> weakSocket = socket;
    runLoop->post([weakSocket, runLoop] {
        if (auto self = weakSocket.lock())
            self->startAccepted(*runLoop);
    });
}

void TcpSocket::startAccepted(RunLoop& runLoop)
{
    if (!m_readStream)
        return; // closed before its loop came round to it
    const Generation generation = m_generation;
    SocketError failure;
    if (!attachStreamsToRunLoop(&runLoop, &failure) || !askWillConnect(&failure)
        || !openStreamsAndReturnError(&failure)) {
        if (generation == m_generation)
            close(); // the connection had begun: the delegate hears onSocketDidDisconnect
    }
}
