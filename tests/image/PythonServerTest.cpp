#include "tests/image/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// Python's own HTTP server over the folder of test pictures, on a free loopback port, stopped
// when the test ends.
class PythonFolderServer {
public:
    explicit PythonFolderServer(const std::string& folder)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(out[1], STDERR_FILENO);
            ::execlp("python3", "python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory",
                     folder.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        FILE* stream = ::fdopen(out[0], "r");
        char line[256];
        // "Serving HTTP on 127.0.0.1 port 43567 (http://127.0.0.1:43567/) ..."
        if (stream && std::fgets(line, sizeof line, stream))
            std::sscanf(line, "Serving HTTP on %*s port %d", &m_port);
        m_stream = stream;
    }
    ~PythonFolderServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_stream)
            std::fclose(m_stream);
    }
    int port() const { return m_port; }

private:
    pid_t m_pid = -1;
    int m_port = 0;
    FILE* m_stream = nullptr;
};
} // namespace

TEST(PythonServer, ServesEveryPictureFormatWeRead)
{
    ImageTestRig rig;
    PythonFolderServer server(FLOORPAD_TEST_PICTURES);
    ASSERT_GT(server.port(), 0);
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
    for (const char* name : {"photo.jpg", "cmyk.jpg", "exif6-ii.jpg", "interlaced.png", "animated.gif", "alpha.webp"}) {
        LoadResult result;
        rig.manager->downloadImageWithURL(base + name, 0, {}, result.recorder());
        ASSERT_TRUE(pump([&] { return result.calls > 0; })) << name;
        EXPECT_TRUE(result.image) << name << " " << result.code();
    }
    LoadResult missing;
    rig.manager->downloadImageWithURL(base + "missing.jpg", 0, {}, missing.recorder());
    ASSERT_TRUE(pump([&] { return missing.calls > 0; }));
    EXPECT_EQ(missing.code(), 404);
}
