#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

struct MHD_Daemon;
class VenueMenu;

// The venue's picture page on loopback: "GET /GetPhoto.aspx?Flag=1&id=DISH" answers the dish's
// picture; width, height and time are accepted and not looked at (the tablet scales the
// picture, and time only keeps its cache apart). Other kinds, unknown dishes and other paths get
// 404, other methods 405. The pictures are read once when it starts, and it serves them from
// a thread of its own, so it never touches the venue the other server changes.
class PictureServer {
public:
    // Called from the server's thread, one line per request.
    using LogSink = std::function<void(const std::string& line)>;

    struct Picture {
        std::string bytes;
        std::string contentType;
    };

    // The dishes that name a picture file, found in the folder.
    static std::map<std::string, std::filesystem::path> dishPictures(const VenueMenu& menu,
                                                                     const std::filesystem::path& folder);

    PictureServer(const std::map<std::string, std::filesystem::path>& files, LogSink log);
    ~PictureServer();
    PictureServer(const PictureServer&) = delete;
    PictureServer& operator=(const PictureServer&) = delete;

    // Listens on 127.0.0.1; port 0 takes a free one, which port() then gives.
    bool listen(std::uint16_t port, std::string& error);
    std::uint16_t port() const { return m_port; }
    void close();

private:
    // The answer to one request: status and, for 200, the picture.
    int answer(const std::string& method, const std::string& path, const std::string& flag, const std::string& id,
               const Picture*& picture) const;

    std::map<std::string, Picture> m_pictures;
    LogSink m_log;
    MHD_Daemon* m_daemon = nullptr;
    std::uint16_t m_port = 0;
};
