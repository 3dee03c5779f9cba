#include "tools/venue-sim/VenueServerThread.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// One request on a fresh loopback connection; the whole response as the server closes it.
std::string exchange(std::uint16_t port, const std::string& request)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    timeval timeout {5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string response;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
            response.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return response;
}

struct PictureCase {
    const char* name;
    std::string request;
    std::string status;
    bool jpeg;
};
// Printed by name in test listings and failures.
inline void PrintTo(const PictureCase& row, std::ostream* out) { *out << row.name; }

class PicturePage : public testing::TestWithParam<PictureCase> {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        auto data = VenueData::fromFile(VenueData::defaultFile(), error);
        ASSERT_TRUE(data) << error;
        VenueServerOptions options;
        options.drift = false;
        server = new VenueServerThread(std::move(*data), options);
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    static inline VenueServerThread* server = nullptr;
};

TEST_P(PicturePage, AnswersDishPicturesByNumber)
{
    ASSERT_NE(server->picturePort(), 0);
    const std::string response = exchange(server->picturePort(), GetParam().request + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_EQ(response.substr(9, 3), GetParam().status) << response.substr(0, 80);
    const auto body = response.find("\r\n\r\n");
    ASSERT_NE(body, std::string::npos);
    const bool jpeg = response.compare(body + 4, 2, "\xFF\xD8") == 0;
    EXPECT_EQ(jpeg, GetParam().jpeg);
    EXPECT_EQ(response.find("Content-Type: image/jpeg") != std::string::npos, GetParam().status == "200");
}

INSTANTIATE_TEST_SUITE_P(
    VenueSim, PicturePage,
    testing::Values(
        PictureCase {"Dish", "GET /GetPhoto.aspx?Flag=1&id=1101&width=1024&height=768&time=2024-03-01%2010:00:00", "200", true},
        PictureCase {"HeadersOnly", "HEAD /GetPhoto.aspx?Flag=1&id=2002", "200", false},
        PictureCase {"DishWithoutPicture", "GET /GetPhoto.aspx?Flag=1&id=1001", "404", false},
        PictureCase {"UnknownDish", "GET /GetPhoto.aspx?Flag=1&id=../venue.json", "404", false},
        PictureCase {"OtherKind", "GET /GetPhoto.aspx?Flag=2&id=1101", "404", false},
        PictureCase {"Upload", "POST /GetPhoto.aspx?Flag=1&id=1101", "405", false}),
    [](const auto& param) { return std::string(param.param.name); });

} // namespace
