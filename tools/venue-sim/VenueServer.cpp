#include "tools/venue-sim/VenueServer.h"

#include "platform/foundation/Log.h"
#include "tools/venue-sim/FrameMalformation.h"
#include "tools/venue-sim/VenueConnection.h"
#include "tools/venue-sim/VenueRequest.h"
#include "tools/venue-sim/replies/BillReplies.h"
#include "tools/venue-sim/replies/MemberReplies.h"
#include "tools/venue-sim/replies/MenuReplies.h"
#include "tools/venue-sim/replies/OrderReplies.h"
#include "tools/venue-sim/replies/PackageReplies.h"
#include "tools/venue-sim/replies/PromoterReplies.h"
#include "tools/venue-sim/replies/ReportReplies.h"
#include "tools/venue-sim/replies/RoomActionReplies.h"
#include "tools/venue-sim/replies/RoomControlReplies.h"
#include "tools/venue-sim/replies/RoomFloorReplies.h"
#include "tools/venue-sim/replies/StartupReplies.h"
#include "tools/venue-sim/replies/StoreWineReplies.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Bounds on the work of one readiness event, so one busy client cannot starve the others.
constexpr int kAcceptsPerEvent = 32;
constexpr int kReadsPerEvent = 16;
constexpr std::size_t kReadChunk = 64 * 1024;

std::string peerName(const sockaddr_in& address)
{
    char host[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(address.sin_port));
}

std::string printable(std::string_view bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            static const char digits[] = "0123456789abcdef";
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 0xF];
        }
    }
    return out;
}

} // namespace

VenueServer::VenueServer(RunLoop& loop, VenueData data, VenueServerOptions options, LogSink log)
    : m_loop(loop)
    , m_data(std::move(data))
    , m_options(std::move(options))
    , m_log(std::move(log))
    , m_drift(m_options.driftSeed)
{
    const ReplyContext context {&m_data, &m_clock};
    installStartupReplies(m_commands, context);
    installRoomFloorReplies(m_commands, context);
    installRoomActionReplies(m_commands, context);
    installRoomControlReplies(m_commands, context);
    installReportReplies(m_commands, context);
    installMenuReplies(m_commands, context);
    installOrderReplies(m_commands, context);
    installPackageReplies(m_commands, context);
    installPromoterReplies(m_commands, context);
    installBillReplies(m_commands, context);
    installMemberReplies(m_commands, context);
    installStoreWineReplies(m_commands, context);
}

VenueServer::~VenueServer()
{
    close();
}

bool VenueServer::listen(std::uint16_t port, std::string& error)
{
    close();
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int yes = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0
        || ::listen(m_listenFd, 16) < 0
        || ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) < 0) {
        error = "127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    m_port = ntohs(address.sin_port);
    m_listenSource = m_loop.addSource(m_listenFd, RunLoop::Readable, [this](std::uint32_t) { acceptClients(); });
    if (m_options.drift && m_options.driftInterval > 0) {
        m_driftTimer = m_loop.addTimer(m_loop.now() + m_options.driftInterval, m_options.driftInterval,
                                       [this] { drift(); });
    }
    return true;
}

void VenueServer::close()
{
    if (m_driftTimer)
        m_loop.removeTimer(m_driftTimer);
    m_driftTimer = 0;
    for (auto& [id, connection] : m_connections)
        m_loop.removeSource(connection->source);
    m_connections.clear();
    if (m_listenSource)
        m_loop.removeSource(m_listenSource);
    m_listenSource = 0;
    if (m_listenFd >= 0)
        ::close(m_listenFd);
    m_listenFd = -1;
}

void VenueServer::drift()
{
    const std::string change = m_drift.step(m_data, m_clock);
    if (!change.empty())
        log("drift " + change);
}

void VenueServer::acceptClients()
{
    for (int i = 0; i < kAcceptsPerEvent; ++i) {
        sockaddr_in address {};
        socklen_t length = sizeof address;
        const int fd = ::accept4(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                log(std::string("accept failed: ") + std::strerror(errno));
            return;
        }
        const int id = m_nextConnectionId++;
        auto connection = std::make_unique<VenueConnection>(fd, id, peerName(address));
        connection->source = m_loop.addSource(fd, RunLoop::Readable,
                                              [this, id](std::uint32_t events) { onClientEvent(id, events); });
        log("client " + std::to_string(id) + " connected from " + connection->peer());
        m_connections.emplace(id, std::move(connection));
    }
}

void VenueServer::onClientEvent(int id, std::uint32_t events)
{
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    VenueConnection& connection = *it->second;

    if (events & RunLoop::Writable) {
        if (!connection.flush()) {
            drop(id, "its peer is gone");
            return;
        }
    }
    bool peerClosed = false;
    if (!connection.closing && (events & (RunLoop::Readable | RunLoop::Hangup | RunLoop::Error))) {
        readFrom(connection, peerClosed);
        handleFrames(connection);
        if (!m_connections.count(id))
            return;
        if (connection.abandoned) {
            drop(id, "it does not read its replies");
            return;
        }
        if (!connection.flush()) {
            drop(id, "its peer is gone");
            return;
        }
    } else if (events & (RunLoop::Hangup | RunLoop::Error)) {
        peerClosed = true;
    }
    if (peerClosed) {
        drop(id, "the client closed the link");
        return;
    }
    if (connection.closing && !connection.hasOutput()) {
        drop(id, "after " + std::to_string(connection.replies) + " replies, as asked");
        return;
    }
    updateInterest(connection);
}

void VenueServer::readFrom(VenueConnection& connection, bool& peerClosed)
{
    char buffer[kReadChunk];
    for (int i = 0; i < kReadsPerEvent; ++i) {
        const ssize_t count = ::recv(connection.fd(), buffer, sizeof buffer, 0);
        if (count > 0) {
            connection.reader().append({reinterpret_cast<const std::uint8_t*>(buffer), static_cast<std::size_t>(count)});
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            peerClosed = true;
        return;
    }
}

void VenueServer::handleFrames(VenueConnection& connection)
{
    if (connection.closing)
        return;
    const int id = connection.id();
    const std::string who = "client " + std::to_string(id);
    const auto drained = connection.reader().deliverFrames(
        [&](std::string_view text) {
            respond(connection, text);
            return !connection.closing;
        },
        [&](FrameReceiver::Outcome outcome, std::size_t size) {
            log(who + ": dropped a frame of " + std::to_string(size)
                + (outcome == FrameReceiver::Outcome::BadCheck ? " bytes with a bad CRC" : " bytes that is not GB18030 text"));
        });
    if (drained.stop == FrameReceiver::Stop::Corrupt)
        drop(id, "its length field \"" + printable(drained.front) + "\" is no frame length");
}

void VenueServer::respond(VenueConnection& connection, std::string_view text)
{
    const auto request = VenueRequest::parse(text);
    if (!request) {
        log("client " + std::to_string(connection.id()) + ": dropped a frame without a command number");
        return;
    }
    log(request->describe());
    const int command = request->command();
    if (m_options.refused.count(command)) {
        log("reply " + std::to_string(command) + " refused, as asked");
        send(connection, ReplyBuilder::failure(command, "服务器拒绝了命令" + std::to_string(command)));
        return;
    }
    if (auto reply = m_commands.answer(*request)) {
        send(connection, *reply);
    } else if (!m_commands.has(command)) {
        log("command " + std::to_string(command) + " has no reply here");
    }
}

void VenueServer::send(VenueConnection& connection, const ReplyBuilder& reply)
{
    const auto found = m_options.malformed.find(reply.command());
    const FrameMalformation malformation = found == m_options.malformed.end() ? FrameMalformation::None : found->second;
    auto frame = makeReplyFrame(reply.body(), malformation);
    if (!frame) {
        log("reply " + std::to_string(reply.command()) + " cannot be framed; a failure goes instead");
        frame = makeReplyFrame(ReplyBuilder::failure(reply.command(), "reply cannot be encoded").body(), malformation);
        if (!frame)
            return;
    }
    if (malformation != FrameMalformation::None)
        log("reply " + std::to_string(reply.command()) + " sent malformed (" + frameMalformationName(malformation) + "), as asked");
    if (connection.pendingOutput() + frame->size() > m_options.maxPendingOutput) {
        connection.closing = true;
        connection.abandoned = true;
        return;
    }
    connection.queue(*frame);
    ++connection.replies;
    if (m_options.dropAfterReplies && connection.replies >= *m_options.dropAfterReplies)
        connection.closing = true;
}

void VenueServer::updateInterest(VenueConnection& connection)
{
    std::uint32_t interest = connection.closing ? 0u : static_cast<std::uint32_t>(RunLoop::Readable);
    if (connection.hasOutput())
        interest |= RunLoop::Writable;
    m_loop.setSourceInterest(connection.source, interest);
}

void VenueServer::drop(int id, const std::string& reason)
{
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    m_loop.removeSource(it->second->source);
    log("client " + std::to_string(id) + " closed: " + reason);
    m_connections.erase(it);
}

void VenueServer::log(const std::string& line) const
{
    if (m_log)
        m_log(line);
    else
        Log::write(line);
}
