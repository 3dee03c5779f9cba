#include "app/SettingRefusal.h"

#include "platform/foundation/TextEncoding.h"

#include <algorithm>
#include <string_view>

namespace {

// The settings a connection is made to: anything but a port number there would only fail at
// every connection.
constexpr std::string_view PortSettings[] = {"Server_Port", "webService_Port"};

bool isPortSetting(const std::string& key)
{
    return std::find(std::begin(PortSettings), std::end(PortSettings), key) != std::end(PortSettings);
}

// Plain decimal digits only: a sign or a space is a typing slip, not a port. Leading zeros read as
// the number they lead.
bool isPortNumber(const std::string& value)
{
    unsigned long number = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return false;
        number = std::min(number * 10 + static_cast<unsigned long>(c - '0'), 65536ul);
    }
    return number >= 1 && number <= 65535;
}

std::string listed(const std::vector<std::string>& keys)
{
    std::string text;
    for (const auto& key : keys)
        text += (text.empty() ? "" : ", ") + key;
    return text;
}

} // namespace

std::optional<std::string> settingRefusal(const SettingsBundle& bundle, const std::string& key,
                                          const std::string& value)
{
    if (!bundle.hasKey(key))
        return key + " is not a setting (" + (bundle.keys.empty() ? "the bundle lists none" : listed(bundle.keys))
            + ")";
    if (value.empty())
        return key + " needs a value";
    // The settings file holds text as UTF-8: other bytes would be stored altered, while this run
    // went on with them as given.
    if (!TextEncoding::isValidUtf8(value))
        return key + " must be text in UTF-8";
    if (isPortSetting(key) && !isPortNumber(value))
        return key + " must be a port number from 1 to 65535";
    return std::nullopt;
}
