#pragma once

#include "platform/foundation/RunLoop.h"
#include "tools/venue-sim/CommandTable.h"
#include "tools/venue-sim/RoomDrift.h"
#include "tools/venue-sim/VenueClock.h"
#include "tools/venue-sim/VenueData.h"
#include "tools/venue-sim/VenueServerOptions.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class VenueConnection;

// The venue server on loopback: accepts any number of tablets on 127.0.0.1, cuts their frames,
// answers each request from the command table, and logs one line per request and per fault.
// A frame with a bad CRC is dropped; a length field that is no frame length ends that link.
// Everything runs on the run loop it is given; it never blocks and never spins.
class VenueServer {
public:
    using LogSink = std::function<void(const std::string& line)>;

    VenueServer(RunLoop& loop, VenueData data, VenueServerOptions options, LogSink log);
    ~VenueServer();
    VenueServer(const VenueServer&) = delete;
    VenueServer& operator=(const VenueServer&) = delete;

    // Listens on 127.0.0.1; port 0 takes a free one, which port() then gives.
    bool listen(std::uint16_t port, std::string& error);
    std::uint16_t port() const { return m_port; }
    // Stops listening and drifting and closes every link.
    void close();

    // Later replies are added here; the built-in ones are installed by the constructor.
    CommandTable& commands() { return m_commands; }
    VenueData& data() { return m_data; }
    VenueClock& clock() { return m_clock; }
    std::size_t connectionCount() const { return m_connections.size(); }

    // One drift step now; the timer calls it every driftInterval seconds when drift is on.
    void drift();

private:
    void acceptClients();
    void onClientEvent(int id, std::uint32_t events);
    void readFrom(VenueConnection& connection, bool& peerClosed);
    void handleFrames(VenueConnection& connection);
    void respond(VenueConnection& connection, std::string_view text);
    void send(VenueConnection& connection, const ReplyBuilder& reply);
    void updateInterest(VenueConnection& connection);
    void drop(int id, const std::string& reason);
    void log(const std::string& line) const;

    RunLoop& m_loop;
    VenueData m_data;
    VenueServerOptions m_options;
    LogSink m_log;
    VenueClock m_clock;
    CommandTable m_commands;
    RoomDrift m_drift;

    int m_listenFd = -1;
    RunLoop::Id m_listenSource = 0;
    RunLoop::Id m_driftTimer = 0;
    std::uint16_t m_port = 0;
    int m_nextConnectionId = 1;
    std::map<int, std::unique_ptr<VenueConnection>> m_connections;
};
