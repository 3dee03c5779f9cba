#include "platform/foundation/Notification.h"

std::string Notification::stringForKey(const std::string& key) const
{
    return std::string(textForKey(key));
}

std::string_view Notification::textForKey(const std::string& key) const
{
    auto it = userInfo.find(key);
    if (it == userInfo.end())
        return {};
    if (const auto* text = std::any_cast<std::string>(&it->second))
        return *text;
    if (const auto* view = std::any_cast<std::string_view>(&it->second))
        return *view;
    if (const auto* chars = std::any_cast<const char*>(&it->second))
        return *chars ? *chars : "";
    return {};
}
