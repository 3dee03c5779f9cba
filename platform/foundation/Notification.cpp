#include "platform/foundation/Notification.h"

std::string Notification::stringForKey(const std::string& key) const
{
    auto it = userInfo.find(key);
    if (it == userInfo.end())
        return {};
    if (const auto* text = std::any_cast<std::string>(&it->second))
        return *text;
    if (const auto* chars = std::any_cast<const char*>(&it->second))
        return *chars ? *chars : "";
    return {};
}
