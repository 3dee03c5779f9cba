#include "tests/tools/venue-sim/VenueServerFixture.h"

namespace {

struct PictureCase {
    const char* name;
    std::string request;
    std::string status;
    bool jpeg;
};
// Printed by name in test listings and failures.
inline void PrintTo(const PictureCase& row, std::ostream* out) { *out << row.name; }

class PicturePage : public ShippedVenueFixture, public testing::WithParamInterface<PictureCase> {};

TEST_P(PicturePage, AnswersDishPicturesByNumber)
{
    ASSERT_NE(server().picturePort(), 0);
    VenueTestClient client(server().picturePort());
    ASSERT_TRUE(client.sendRaw(GetParam().request + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n"));
    const std::string response = client.readToClose();
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
        PictureCase {"AnyCaseOfThePage", "GET /getphoto.ASPX?Flag=1&id=4005", "200", true},
        PictureCase {"HeadersOnly", "HEAD /GetPhoto.aspx?Flag=1&id=2002", "200", false},
        PictureCase {"DishWithoutPicture", "GET /GetPhoto.aspx?Flag=1&id=1001", "404", false},
        PictureCase {"UnknownDish", "GET /GetPhoto.aspx?Flag=1&id=../venue.json", "404", false},
        PictureCase {"OtherKind", "GET /GetPhoto.aspx?Flag=2&id=1101", "404", false},
        PictureCase {"OtherPage", "GET /pictures/1101.jpg?Flag=1&id=1101", "404", false},
        PictureCase {"Upload", "POST /GetPhoto.aspx?Flag=1&id=1101", "405", false}),
    [](const auto& param) { return std::string(param.param.name); });

} // namespace
