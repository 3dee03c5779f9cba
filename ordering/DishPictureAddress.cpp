#include "ordering/DishPictureAddress.h"

#include "platform/foundation/UserDefaults.h"
#include "session/records/OKFoodObject.h"

#include <cctype>
#include <cstdio>

namespace {

// Dish pictures are kind 1 of the picture page.
constexpr const char* kDishPictureFlag = "1";

std::string queryValue(const std::string& text)
{
    std::string encoded;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            encoded += escape;
        }
    }
    return encoded;
}

} // namespace

std::string dishPictureAddress(const OKFoodObject& dish, int width, int height)
{
    const auto& defaults = UserDefaults::standard();
    return "http://" + defaults.stringForKey("Server_Ip").value_or("") + ":"
        + defaults.stringForKey("webService_Port").value_or("") + "/GetPhoto.aspx?Flag=" + kDishPictureFlag
        + "&id=" + queryValue(dish.No) + "&width=" + std::to_string(width) + "&height=" + std::to_string(height)
        + "&time=" + queryValue(dish.FoodImageModifyTime.value_or(""));
}
