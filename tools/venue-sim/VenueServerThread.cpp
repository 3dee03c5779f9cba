#include "tools/venue-sim/VenueServerThread.h"

#include "platform/foundation/RunLoop.h"
#include "tools/venue-sim/VenueServer.h"

VenueServerThread::VenueServerThread(VenueData data, VenueServerOptions options)
{
    m_pictures = std::make_unique<PictureServer>(PictureServer::dishPictures(data.menu(), data.folder()),
                                                 [this](const std::string& line) { addLog(line); });
    std::string pictureError;
    if (!m_pictures->listen(0, pictureError))
        addLog("cannot listen on " + pictureError);
    m_thread = std::thread(&VenueServerThread::run, this, std::move(data), std::move(options));
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_started; });
}

VenueServerThread::~VenueServerThread()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_loop) {
            RunLoop* loop = m_loop;
            loop->post([loop] { loop->stop(); });
        }
    }
    m_thread.join();
    m_pictures.reset();
}

void VenueServerThread::addLog(const std::string& line)
{
    std::lock_guard lock(m_mutex);
    m_log.push_back(line);
    m_changed.notify_all();
}

void VenueServerThread::run(VenueData data, VenueServerOptions options)
{
    RunLoop loop;
    VenueServer server(loop, std::move(data), std::move(options), [this](const std::string& line) { addLog(line); });
    std::string error;
    const bool listening = server.listen(0, error);
    {
        std::lock_guard lock(m_mutex);
        m_started = true;
        m_error = error;
        if (listening) {
            m_port = server.port();
            m_loop = &loop;
            m_server = &server;
        }
    }
    m_changed.notify_all();
    if (!listening)
        return;
    loop.run();
    server.close();
    std::lock_guard lock(m_mutex);
    m_loop = nullptr;
    m_server = nullptr;
}

std::vector<std::string> VenueServerThread::logLines() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

bool VenueServerThread::waitForLog(const std::string& fragment, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] {
        for (const auto& line : m_log) {
            if (line.find(fragment) != std::string::npos)
                return true;
        }
        return false;
    });
}

void VenueServerThread::onServer(const std::function<void(VenueServer&)>& work)
{
    std::unique_lock lock(m_mutex);
    if (!m_loop)
        return;
    bool done = false;
    m_loop->post([this, &work, &done] {
        work(*m_server);
        std::lock_guard inner(m_mutex);
        done = true;
        m_changed.notify_all();
    });
    m_changed.wait(lock, [&] { return done; });
}
