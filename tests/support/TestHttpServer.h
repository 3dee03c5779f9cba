#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 (port 0) for tests, one connection per request, each on
// a thread of its own, answering each path as scripted (a reply with an ETag answers 304 to a
// request that names it). It records what it was asked and how
// many connections it held at once, and stops itself when destroyed.
class TestHttpServer {
public:
    struct Reply {
        int status = 200;
        std::vector<std::pair<std::string, std::string>> headers;
        std::string body;
        bool chunked = false;
        // Sends the body in pieces of this size (0: at once), pausing between them.
        std::size_t pieceSize = 0;
        double pace = 0;
        // Waits this long before answering at all.
        double hold = 0;
        // Announces the whole body but closes after this many bytes of it.
        std::optional<std::size_t> truncateAfter;
        // Replaces the announced length.
        std::optional<std::string> contentLength;
        // Resets the connection instead of answering.
        bool reset = false;
        // Sends these bytes instead of an answer, then closes.
        std::optional<std::string> raw;
    };
    struct Request {
        std::string method;
        std::string path;
        std::map<std::string, std::string> headers; // lower-case names
    };

    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    std::uint16_t port() const { return m_port; }
    std::string url(const std::string& path) const;
    void setReply(const std::string& path, Reply reply);
    // A reply whose body is the bytes, with Content-Type and Content-Length.
    void serve(const std::string& path, std::string body, const std::string& contentType = "image/jpeg");
    void redirect(const std::string& path, const std::string& location, int status = 302);

    std::vector<Request> requests() const;
    std::size_t requestCount(const std::string& path) const;
    // Requests for the path whose answer is over: sent whole, cut short as scripted, or given
    // up on a client that went away. A request is counted by requestCount as soon as it comes,
    // while its answer may still be held back.
    std::size_t answeredCount(const std::string& path) const;
    // The most requests answered at once (one connection each).
    int peakConnections() const { return m_peak.load(); }
    void resetPeak() { m_peak = 0; }

private:
    // One request being answered, for the peak count.
    class InFlight {
    public:
        InFlight(std::atomic<int>& open, std::atomic<int>& peak);
        ~InFlight() { end(); }
        void end();

    private:
        std::atomic<int>& m_open;
        bool m_ended = false;
    };

    void acceptLoop();
    void handle(int fd);
    void answer(int fd, const Reply& reply, InFlight& inFlight);
    bool pause(double seconds) const;

    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping {false};
    std::atomic<int> m_open {0};
    std::atomic<int> m_peak {0};
    mutable std::mutex m_mutex;
    std::map<std::string, Reply> m_replies;
    std::vector<Request> m_requests;
    std::vector<std::string> m_answered; // paths, as asked
    std::vector<std::thread> m_connections;
    std::thread m_acceptThread;
};
