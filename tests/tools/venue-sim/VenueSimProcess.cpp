#include "tests/tools/venue-sim/VenueSimProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

VenueSimProcess::VenueSimProcess(const std::vector<std::string>& arguments)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) < 0)
        return;
    std::vector<std::string> argv {binary()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& argument : argv)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    m_stdout = pipeFds[0];
}

VenueSimProcess::~VenueSimProcess()
{
    if (m_pid > 0 && !m_status && !stop(SIGTERM, std::chrono::seconds(5))) {
        ::kill(m_pid, SIGKILL);
        waitForExit(std::chrono::seconds(5));
    }
    if (m_stdout >= 0)
        ::close(m_stdout);
}

std::string VenueSimProcess::binary()
{
    return VENUE_SIM_BINARY;
}

std::optional<std::string> VenueSimProcess::readLine(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        const auto end = m_pending.find('\n');
        if (end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd entry {m_stdout, POLLIN, 0};
        if (m_stdout < 0 || left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
            return std::nullopt;
        char chunk[1024];
        const ssize_t count = ::read(m_stdout, chunk, sizeof chunk);
        if (count <= 0)
            return std::nullopt;
        m_pending.append(chunk, static_cast<std::size_t>(count));
    }
}

std::uint16_t VenueSimProcess::waitForPort()
{
    const auto portOf = [](const std::optional<std::string>& line, const std::string& prefix) {
        if (!line || line->rfind(prefix, 0) != 0)
            return std::uint16_t {0};
        return static_cast<std::uint16_t>(std::stoi(line->substr(prefix.size())));
    };
    const std::uint16_t port = portOf(readLine(), "listening on 127.0.0.1:");
    if (port != 0)
        m_picturePort = portOf(readLine(), "pictures on 127.0.0.1:");
    return port;
}

std::optional<int> VenueSimProcess::stop(int signal, std::chrono::milliseconds timeout)
{
    if (m_pid <= 0)
        return std::nullopt;
    if (!m_status)
        ::kill(m_pid, signal);
    return waitForExit(timeout);
}

std::optional<int> VenueSimProcess::waitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_status && m_pid > 0) {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (done < 0 || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return m_status;
}
