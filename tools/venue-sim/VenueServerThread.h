#pragma once

#include "tools/venue-sim/PictureServer.h"
#include "tools/venue-sim/VenueData.h"
#include "tools/venue-sim/VenueServerOptions.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RunLoop;
class VenueServer;

// A venue server on a run loop of its own thread, for tests that run the tablet's code on the
// main loop of the same process, with the venue's picture page beside it. The log lines of both
// are kept for the test to read. The destructor stops the loop and joins the thread.
class VenueServerThread {
public:
    VenueServerThread(VenueData data, VenueServerOptions options = {});
    ~VenueServerThread();
    VenueServerThread(const VenueServerThread&) = delete;
    VenueServerThread& operator=(const VenueServerThread&) = delete;

    // False when the server could not listen; error() says why.
    bool running() const { return m_port != 0; }
    const std::string& error() const { return m_error; }
    std::uint16_t port() const { return m_port; }
    // The picture page's port; 0 when it could not listen.
    std::uint16_t picturePort() const { return m_pictures ? m_pictures->port() : 0; }

    std::vector<std::string> logLines() const;
    // Waits until a log line contains the fragment; false after the timeout.
    bool waitForLog(const std::string& fragment, std::chrono::milliseconds timeout) const;

    // Runs the function on the server's thread and waits for it: the way to look at or change
    // the venue while the server runs.
    void onServer(const std::function<void(VenueServer&)>& work);

private:
    void run(VenueData data, VenueServerOptions options);
    void addLog(const std::string& line);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_log;
    bool m_started = false;
    std::uint16_t m_port = 0;
    std::string m_error;
    RunLoop* m_loop = nullptr;
    VenueServer* m_server = nullptr;
    std::unique_ptr<PictureServer> m_pictures;
    std::thread m_thread;
};
