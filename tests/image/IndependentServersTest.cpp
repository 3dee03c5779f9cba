#include "tests/image/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// A server program run in a folder on a free loopback port, its port read from the first line
// of its output that matches the pattern; stopped when the test ends.
class ChildServer {
public:
    ChildServer(const fs::path& folder, std::vector<std::string> arguments, const char* portPattern)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(out[1], STDERR_FILENO);
            std::vector<char*> argv;
            for (auto& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            if (::chdir(folder.c_str()) == 0)
                ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        m_stream = ::fdopen(out[0], "r");
        char line[256];
        for (int lines = 0; m_stream && m_port == 0 && lines < 10 && std::fgets(line, sizeof line, m_stream); ++lines)
            std::sscanf(line, portPattern, &m_port);
    }
    ~ChildServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_stream)
            std::fclose(m_stream);
    }
    std::string url(const std::string& scheme, const std::string& path) const
    {
        return scheme + "://127.0.0.1:" + std::to_string(m_port) + "/" + path;
    }
    int port() const { return m_port; }

private:
    pid_t m_pid = -1;
    int m_port = 0;
    FILE* m_stream = nullptr;
};
} // namespace

TEST(IndependentServers, SelfSignedCertificatesOnlyWhenAllowed)
{
    ImageTestRig rig;
    const fs::path folder = rig.folder.path();
    const std::string make = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1"
                             " -subj /CN=127.0.0.1 -keyout '"
        + (folder / "key.pem").string() + "' -out '" + (folder / "cert.pem").string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);
    fs::copy_file(fs::path(FLOORPAD_TEST_PICTURES) / "photo.jpg", folder / "photo.jpg");
    ChildServer server(folder, {"openssl", "s_server", "-accept", "127.0.0.1:0", "-cert", "cert.pem", "-key", "key.pem", "-WWW"},
                       "ACCEPT 127.0.0.1:%d");
    ASSERT_GT(server.port(), 0);
    EXPECT_EQ(load(rig, server.url("https", "photo.jpg")).code(), NSURLError::ServerCertificateUntrusted);
    EXPECT_TRUE(load(rig, server.url("https", "photo.jpg"), ImageLoadRetryFailed | ImageLoadAllowInvalidCertificates).image);
}
