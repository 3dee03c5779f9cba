#include "tools/venue-sim/PictureServer.h"

#include "tools/venue-sim/VenueMenu.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <strings.h>

namespace {

constexpr unsigned kConnectionTimeoutSeconds = 5;
constexpr unsigned kConnectionLimit = 64;
constexpr int kDishFlag = 1;

std::string contentTypeOf(const std::filesystem::path& file)
{
    const std::string extension = file.extension().string();
    if (strcasecmp(extension.c_str(), ".png") == 0)
        return "image/png";
    if (strcasecmp(extension.c_str(), ".gif") == 0)
        return "image/gif";
    return "image/jpeg";
}

std::string argument(MHD_Connection* connection, const char* name)
{
    const char* value = MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, name);
    return value ? value : "";
}

MHD_Result reply(MHD_Connection* connection, int status, const PictureServer::Picture* picture, bool withBody)
{
    static const std::string notFound = "no such picture";
    static const std::string notAllowed = "only GET";
    const std::string& text = status == MHD_HTTP_METHOD_NOT_ALLOWED ? notAllowed : notFound;
    const std::string& body = picture ? picture->bytes : text;
    // HEAD gets the headers of the body without it.
    MHD_Response* response = withBody
        ? MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_PERSISTENT)
        : MHD_create_response_from_buffer(0, nullptr, MHD_RESPMEM_PERSISTENT);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE,
                            picture ? picture->contentType.c_str() : "text/plain; charset=utf-8");
    const MHD_Result queued = MHD_queue_response(connection, static_cast<unsigned>(status), response);
    MHD_destroy_response(response);
    return queued;
}

} // namespace

std::map<std::string, std::filesystem::path> PictureServer::dishPictures(const VenueMenu& menu,
                                                                        const std::filesystem::path& folder)
{
    std::map<std::string, std::filesystem::path> files;
    for (const auto& dish : menu.dishes())
        if (!dish.picture.empty())
            files[dish.no] = folder / dish.picture;
    return files;
}

PictureServer::PictureServer(const std::map<std::string, std::filesystem::path>& files, LogSink log)
    : m_log(std::move(log))
{
    for (const auto& [id, file] : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        if (in && !bytes.str().empty())
            m_pictures[id] = Picture {bytes.str(), contentTypeOf(file)};
        else if (m_log)
            m_log("picture missing: " + file.string());
    }
}

PictureServer::~PictureServer()
{
    close();
}

int PictureServer::answer(const std::string& method, const std::string& path, const std::string& flag,
                          const std::string& id, const Picture*& picture) const
{
    picture = nullptr;
    if (method != MHD_HTTP_METHOD_GET && method != MHD_HTTP_METHOD_HEAD)
        return MHD_HTTP_METHOD_NOT_ALLOWED;
    if (strcasecmp(path.c_str(), "/GetPhoto.aspx") != 0 || flag != std::to_string(kDishFlag))
        return MHD_HTTP_NOT_FOUND;
    const auto it = m_pictures.find(id);
    if (it == m_pictures.end())
        return MHD_HTTP_NOT_FOUND;
    picture = &it->second;
    return MHD_HTTP_OK;
}

bool PictureServer::listen(std::uint16_t port, std::string& error)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto handler = [](void* self, MHD_Connection* connection, const char* url, const char* method,
                            const char*, const char*, size_t*, void**) -> MHD_Result {
        const auto& server = *static_cast<PictureServer*>(self);
        const std::string id = argument(connection, "id");
        const Picture* picture = nullptr;
        const int status = server.answer(method, url, argument(connection, "Flag"), id, picture);
        if (server.m_log)
            server.m_log("picture " + std::string(method) + " " + url + " id=" + id + " " + std::to_string(status));
        return reply(connection, status, picture, std::string(method) != MHD_HTTP_METHOD_HEAD);
    };
    m_daemon = MHD_start_daemon(MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL_LINUX_ONLY, port, nullptr, nullptr,
                                handler, this, MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&address),
                                MHD_OPTION_CONNECTION_TIMEOUT, kConnectionTimeoutSeconds, MHD_OPTION_CONNECTION_LIMIT,
                                kConnectionLimit, MHD_OPTION_END);
    if (!m_daemon) {
        error = "127.0.0.1:" + std::to_string(port) + " for pictures";
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : port;
    return true;
}

void PictureServer::close()
{
    if (m_daemon)
        MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    m_port = 0;
}
