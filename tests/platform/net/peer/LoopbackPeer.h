#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A TCP server on 127.0.0.1 or ::1, written with plain POSIX sockets on a thread of its own,
// for tests to connect to. It accepts connections, reads whatever arrives (unless told to read
// slowly), and carries out the test's actions on its latest connection in order: send bytes,
// close cleanly or reset. It stops and closes everything when destroyed. Every wait of
// the thread is bounded.
class LoopbackPeer {
public:
    struct Options {
        bool ipv6 = false;
        bool accept = true;      // false: connections stay in the backlog
        int backlog = 8;
        int receiveBuffer = 0;   // SO_RCVBUF of accepted connections, 0: the system's
        bool readData = true;    // false: a slow reader that never reads
    };

    LoopbackPeer();
    explicit LoopbackPeer(Options options);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    std::uint16_t port() const { return m_port; }
    std::string host() const { return m_options.ipv6 ? "::1" : "127.0.0.1"; }

    // Actions on the latest accepted connection, carried out in order by the thread.
    void send(std::string bytes);
    void closeConnection();
    void resetConnection();

    int connectionCount() const { return m_connections.load(); }
    // Everything received on the latest connection.
    std::string received() const;
    // The latest connection's peer (the client) has closed its side.
    bool sawEndOfStream() const { return m_sawEnd.load(); }
    bool actionsDone() const;

    // Opens plain connections until the backlog of a peer that does not accept is full, so a
    // further connect hangs. Returns how many it opened; bounded in count and time.
    int fillBacklog();

    // A loopback port that nothing listens on, and nothing will while the program runs.
    static std::uint16_t closedPort();
    // A loopback port free at the moment, for another program to listen on.
    static std::uint16_t freePort();

private:
    struct Action {
        enum Kind { Send, Close, Reset } kind = Send;
        std::string bytes;
    };
    void run();
    void enqueue(Action action);
    void perform(Action& action);
    void wake();

    Options m_options;
    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    std::uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop {false};
    std::atomic<int> m_connections {0};
    std::atomic<bool> m_sawEnd {false};

    mutable std::mutex m_mutex;
    std::deque<Action> m_actions;
    bool m_busy = false;
    std::string m_received;
    int m_connectionFd = -1; // thread only
    std::vector<int> m_oldConnections; // thread only
    std::vector<int> m_fillers;
};
