// Sixty distinct 1024x768 JPEGs from a loopback server that holds each reply 20 ms (and, for
// comparison, not at all), six at a time, each run starting cold:
// - ours: the image downloader, fresh, as the program receives pictures: request, body, decoding
//   and the picture made ready to draw on a worker, the notice handed to the main loop;
// - the baseline: the least a downloader does on the same libraries, six threads each with one
//   libcurl handle kept alive, taking the next URL in turn and decoding its body as ours does.
//   Its time is `baseline_ms`, and `ratio` ours over it: what the downloader itself costs;
// - a reference: the curl tool fetching the same URLs with `--parallel --parallel-immediate
//   --parallel-max 6` into /dev/null, network work only and no picture work (`curl_tool_ms`), so
//   that one sees how much of either time the network takes.
// All three run side by side in each iteration; `our_connections` counts the connections we
// opened for the sixty.
#include "image/ImageDownloader.h"
#include "image/UIImageForceDecode.h"
#include "image/UIImageMultiFormat.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/JpegCodec.h"

#include <benchmark/benchmark.h>
#include <cairo.h>
#include <curl/curl.h>
#include <microhttpd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace {

constexpr int kPictures = 60;
constexpr int kParallel = 6;

// A picture with detail enough to weigh what a dish photograph weighs.
std::string picture(int index)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1024, 768);
    cairo_t* cr = cairo_create(surface);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 1024, 768);
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.9, 0.4 + index / 200.0, 0.1);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.1, 0.3, 0.8);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    for (int i = 0; i < 400; ++i) {
        cairo_set_source_rgba(cr, (i * 37 % 100) / 100.0, (i * 61 % 100) / 100.0, (i * index % 100) / 100.0, 0.6);
        cairo_arc(cr, (i * 97 + index * 13) % 1024, (i * 53) % 768, 8 + i % 40, 0, 6.3);
        cairo_fill(cr);
    }
    cairo_pattern_destroy(gradient);
    cairo_destroy(cr);
    auto bytes = *JpegCodec::encode(*UIImage::imageWithSurface(surface, 1), 0.85);
    return bytes;
}

// Keep-alive HTTP on 127.0.0.1, a thread per connection, each reply held before it is sent.
class HoldingServer {
public:
    explicit HoldingServer(std::chrono::milliseconds hold)
        : m_hold(hold)
    {
        for (int i = 0; i < kPictures; ++i)
            m_pictures.push_back(picture(i));
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_daemon = MHD_start_daemon(MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD, 0, nullptr,
                                    nullptr, &HoldingServer::answer, this, MHD_OPTION_SOCK_ADDR,
                                    reinterpret_cast<sockaddr*>(&address), MHD_OPTION_CONNECTION_TIMEOUT, 10u,
                                    MHD_OPTION_NOTIFY_CONNECTION, &HoldingServer::connected, this, MHD_OPTION_END);
        const MHD_DaemonInfo* info = m_daemon ? MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT) : nullptr;
        m_port = info ? info->port : 0;
    }
    ~HoldingServer()
    {
        if (m_daemon)
            MHD_stop_daemon(m_daemon);
    }
    HoldingServer(const HoldingServer&) = delete;
    HoldingServer& operator=(const HoldingServer&) = delete;

    std::uint16_t port() const { return m_port; }
    int connections() const { return m_connections.load(); }
    std::size_t bytes() const
    {
        std::size_t total = 0;
        for (const auto& p : m_pictures)
            total += p.size();
        return total;
    }
    std::vector<std::string> urls(int round) const
    {
        std::vector<std::string> all;
        for (int i = 0; i < kPictures; ++i)
            all.push_back("http://127.0.0.1:" + std::to_string(m_port) + "/p" + std::to_string(i) + "?r="
                          + std::to_string(round));
        return all;
    }

private:
    static void connected(void* self, MHD_Connection*, void**, MHD_ConnectionNotificationCode code)
    {
        if (code == MHD_CONNECTION_NOTIFY_STARTED)
            ++static_cast<HoldingServer*>(self)->m_connections;
    }
    static MHD_Result answer(void* self, MHD_Connection* connection, const char* url, const char*, const char*,
                             const char*, size_t*, void** state)
    {
        static int first;
        if (!*state) {
            *state = &first;
            return MHD_YES;
        }
        const auto& server = *static_cast<HoldingServer*>(self);
        std::this_thread::sleep_for(server.m_hold);
        const auto& pictures = server.m_pictures;
        const int index = std::atoi(url + 2);
        const std::string& body = pictures[static_cast<std::size_t>(index) % pictures.size()];
        MHD_Response* response =
            MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_PERSISTENT);
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "image/jpeg");
        const MHD_Result queued = MHD_queue_response(connection, MHD_HTTP_OK, response);
        MHD_destroy_response(response);
        return queued;
    }

    std::chrono::milliseconds m_hold;
    std::atomic<int> m_connections {0};
    std::vector<std::string> m_pictures;
    MHD_Daemon* m_daemon = nullptr;
    std::uint16_t m_port = 0;
};

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The curl tool over the URLs, its bodies thrown away; -1 when it fails.
double curlTool(const std::vector<std::string>& urls, const std::filesystem::path& config)
{
    {
        std::ofstream out(config);
        for (const auto& url : urls)
            out << "url = \"" << url << "\"\noutput = \"/dev/null\"\n";
    }
    const auto start = std::chrono::steady_clock::now();
    std::string file = config.string();
    std::vector<std::string> arguments {"curl", "--silent", "--no-progress-meter", "--fail", "--parallel", "--parallel-immediate",
                                        "--parallel-max", std::to_string(kParallel), "--config", file};
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) != pid
        || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return seconds(start);
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* body)
{
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

// The least downloader over the URLs: six threads on libcurl, each body decoded as ours decodes
// it; -1 when a picture does not arrive.
double leastDownloader(const std::vector<std::string>& urls)
{
    const auto start = std::chrono::steady_clock::now();
    std::atomic<std::size_t> next {0};
    std::atomic<std::size_t> pictures {0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kParallel; ++t) {
        threads.emplace_back([&] {
            CURL* curl = curl_easy_init();
            std::string body;
            curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
            curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
            for (std::size_t i = next++; i < urls.size(); i = next++) {
                body.clear();
                curl_easy_setopt(curl, CURLOPT_URL, urls[i].c_str());
                if (curl_easy_perform(curl) == CURLE_OK && decodedImageWithImage(img_imageWithData(body)))
                    ++pictures;
            }
            curl_easy_cleanup(curl);
        });
    }
    for (auto& thread : threads)
        thread.join();
    return pictures == urls.size() ? seconds(start) : -1;
}

// Our downloader, fresh, over the URLs; -1 when a picture does not arrive.
double downloader(const std::vector<std::string>& urls)
{
    const auto start = std::chrono::steady_clock::now();
    std::atomic<int> pictures {0};
    std::atomic<int> done {0};
    {
        ImageDownloader downloader;
        downloader.setMaxConcurrentDownloads(kParallel);
        for (const auto& url : urls)
            downloader.downloadImageWithURL(NSURL::URLWithString(url), 0, {},
                                            [&](UIImagePtr image, ImageData, NSErrorPtr, bool finished) {
                                                pictures += image ? 1 : 0;
                                                done += finished ? 1 : 0;
                                            });
        // The download notices go to the main loop, as in the program.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (done < static_cast<int>(urls.size()) && std::chrono::steady_clock::now() < deadline)
            RunLoop::main().runOnce(RunLoopModes::Default, 0.0005);
    }
    return pictures == static_cast<int>(urls.size()) ? seconds(start) : -1;
}

void BM_SixtyPicturesAgainstLeastDownloader(benchmark::State& state)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    HoldingServer server(std::chrono::milliseconds(state.range(0)));
    const auto config = std::filesystem::temp_directory_path() / ("floorpad-curl-" + std::to_string(::getpid()));
    double ours = 0, least = 0, tool = 0;
    int round = 0;
    int connections = 0;
    for (auto _ : state) {
        const double toolTime = curlTool(server.urls(round++), config);
        const double leastTime = leastDownloader(server.urls(round++));
        const int before = server.connections();
        const double measured = downloader(server.urls(round++));
        connections += server.connections() - before;
        if (toolTime < 0 || leastTime < 0 || measured < 0) {
            state.SkipWithError("a download failed");
            break;
        }
        state.SetIterationTime(measured);
        ours += measured;
        least += leastTime;
        tool += toolTime;
    }
    std::filesystem::remove(config);
    const auto perIteration = [](double total) {
        return benchmark::Counter(total * 1000, benchmark::Counter::kAvgIterations);
    };
    state.counters["baseline_ms"] = perIteration(least);
    state.counters["curl_tool_ms"] = perIteration(tool);
    state.counters["ratio"] = least > 0 ? ours / least : 0;
    state.counters["our_connections"] = benchmark::Counter(connections, benchmark::Counter::kAvgIterations);
    state.counters["picture_kB"] = static_cast<double>(server.bytes()) / kPictures / 1024;
}

} // namespace

// The hold in milliseconds: 20 as the goal is set, and none, where only our own costs show.
BENCHMARK(BM_SixtyPicturesAgainstLeastDownloader)->Arg(20)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_MAIN();
