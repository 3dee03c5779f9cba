#pragma once

#include "session/socket/TcpSocket.h"

#include <functional>
#include <string>
#include <vector>

// Writes every callback down as one line, and lets a test act from inside any of them.
class RecordingDelegate : public TcpSocketDelegate {
public:
    std::vector<std::string> log;
    std::vector<std::string> reads;
    std::optional<SocketError> disconnectError;
    std::string unreadAtDisconnect;
    bool willConnect = true;
    TimeInterval readExtension = 0;
    std::vector<TimeInterval> readTimeoutElapsed;

    std::function<void(TcpSocket&, const std::string&)> onRead;
    std::function<void(TcpSocket&)> onDisconnect;
    // Accepted sockets are kept unless told otherwise.
    std::vector<std::shared_ptr<TcpSocket>> accepted;
    bool keepAccepted = true;
    std::function<void(TcpSocket&, const std::shared_ptr<TcpSocket>&)> onAccept;

    int count(const std::string& prefix) const
    {
        int n = 0;
        for (const auto& line : log)
            n += line.rfind(prefix, 0) == 0;
        return n;
    }
    bool disconnected() const { return count("didDisconnect") > 0; }

    void onSocketWillDisconnectWithError(TcpSocket& socket, const std::optional<SocketError>& error) override
    {
        log.push_back(error ? "willDisconnect " + error->domain + " " + std::to_string(error->code)
                            : "willDisconnect null");
        disconnectError = error;
        if (const auto* unread = socket.unreadData())
            unreadAtDisconnect.assign(unread->begin(), unread->end());
    }
    void onSocketDidDisconnect(TcpSocket& socket) override
    {
        log.push_back("didDisconnect");
        if (onDisconnect)
            onDisconnect(socket);
    }
    void onSocketDidAcceptNewSocket(TcpSocket& listener, const std::shared_ptr<TcpSocket>& socket) override
    {
        log.push_back("didAccept");
        if (keepAccepted)
            accepted.push_back(socket);
        if (onAccept)
            onAccept(listener, socket);
    }
    void onSocketDidSecure(TcpSocket&) override { log.push_back("didSecure"); }
    bool onSocketWillConnect(TcpSocket&) override
    {
        log.push_back("willConnect");
        return willConnect;
    }
    void onSocketDidConnectToHost(TcpSocket&, const std::string& host, std::uint16_t port) override
    {
        log.push_back("didConnect " + host + " " + std::to_string(port));
    }
    void onSocketDidReadData(TcpSocket& socket, std::span<const std::uint8_t> data, std::int64_t tag) override
    {
        std::string text(data.begin(), data.end());
        log.push_back("read " + std::to_string(tag) + " " + text);
        reads.push_back(text);
        if (onRead)
            onRead(socket, text);
    }
    void onSocketDidReadPartialDataOfLength(TcpSocket&, std::size_t length, std::int64_t tag) override
    {
        log.push_back("partialRead " + std::to_string(tag) + " " + std::to_string(length));
    }
    TimeInterval onSocketShouldTimeoutReadWithTag(TcpSocket&, std::int64_t, TimeInterval elapsed, std::size_t) override
    {
        readTimeoutElapsed.push_back(elapsed);
        const TimeInterval extra = readExtension;
        readExtension = 0;
        return extra;
    }
    void onSocketDidWriteDataWithTag(TcpSocket&, std::int64_t tag) override
    {
        log.push_back("wrote " + std::to_string(tag));
    }
};
