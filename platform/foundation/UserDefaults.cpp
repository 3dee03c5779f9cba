#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NumberValue.h"
#include "platform/foundation/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <cstdint>
#include <memory>
#include <sys/stat.h>

namespace {
std::unique_ptr<UserDefaults>& standardInstance()
{
    static std::unique_ptr<UserDefaults> instance;
    return instance;
}
} // namespace

UserDefaults& UserDefaults::standard()
{
    auto& instance = standardInstance();
    if (!instance)
        instance = std::make_unique<UserDefaults>(Paths::openDataFolder(), "defaults.json");
    return *instance;
}

void UserDefaults::resetStandard()
{
    standardInstance().reset();
}

UserDefaults::UserDefaults(const std::filesystem::path& file)
    : UserDefaults(std::make_shared<const OpenFolder>(OpenFolder::open(
                       file.has_parent_path() ? file.parent_path() : std::filesystem::path("."),
                       OpenFolder::Links::Follow, 0700)),
                   file.filename().string())
{
}

UserDefaults::UserDefaults(SharedFolder folder, std::string name)
    : m_folder(std::move(folder))
    , m_name(std::move(name))
{
    if (!m_folder->isOpen() || (!m_folder->statusOf(m_name) && errno == ENOENT))
        return;
    // Settings are a few kilobytes; a file far larger is not the settings.
    std::string why;
    const auto bytes = m_folder->read(m_name, 16 << 20, &why);
    auto parsed = bytes ? nlohmann::json::parse(*bytes, nullptr, false) : nlohmann::json();
    if (parsed.is_object()) {
        m_user = std::move(parsed);
        return;
    }
    if (bytes)
        why = parsed.is_discarded() ? "it is not JSON" : "it holds no table of settings";
    // The first save would replace the unusable file; keep it beside the new one instead.
    const auto aside = m_folder->setAside(m_name);
    m_fileKept = !aside;
    const std::string outcome = aside ? "kept as " + m_folder->pathOf(*aside).string()
                                      : std::string("not kept aside (") + std::strerror(errno)
            + "), so values are not stored";
    NSLog("user defaults file %s is not usable (%s); %s, starting with no user values", file().c_str(), why.c_str(),
          outcome.c_str());
}

void UserDefaults::registerDefaults(const nlohmann::json& dictionary)
{
    if (!dictionary.is_object())
        return;
    for (const auto& [key, value] : dictionary.items())
        m_registered[key] = value;
}

std::optional<nlohmann::json> UserDefaults::objectForKey(const std::string& key) const
{
    if (auto it = m_user.find(key); it != m_user.end())
        return *it;
    if (auto it = m_registered.find(key); it != m_registered.end())
        return *it;
    return std::nullopt;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const
{
    auto value = objectForKey(key);
    if (!value)
        return std::nullopt;
    if (value->is_string())
        return value->get<std::string>();
    if (value->is_number_integer())
        return std::to_string(value->get<std::int64_t>());
    if (value->is_number_unsigned())
        return std::to_string(value->get<std::uint64_t>());
    if (value->is_number_float())
        return value->dump();
    if (value->is_boolean())
        return value->get<bool>() ? "1" : "0";
    return std::nullopt;
}

std::int64_t UserDefaults::integerForKey(const std::string& key) const
{
    auto value = objectForKey(key);
    if (!value)
        return 0;
    if (value->is_number_integer())
        return value->get<std::int64_t>();
    if (value->is_number_unsigned())
        return static_cast<std::int64_t>(std::min<std::uint64_t>(value->get<std::uint64_t>(), INT64_MAX));
    if (value->is_number_float()) {
        // Converting a double outside the 64-bit range is undefined, so the edges are clamped.
        const double number = value->get<double>();
        if (!std::isfinite(number))
            return 0;
        if (number >= 9.2e18)
            return INT64_MAX;
        if (number <= -9.2e18)
            return INT64_MIN;
        return static_cast<std::int64_t>(number);
    }
    if (value->is_boolean())
        return value->get<bool>() ? 1 : 0;
    if (value->is_string())
        return integerValue(value->get<std::string>());
    return 0;
}

bool UserDefaults::boolForKey(const std::string& key) const
{
    auto value = objectForKey(key);
    if (!value)
        return false;
    if (value->is_boolean())
        return value->get<bool>();
    if (value->is_string())
        return boolValue(value->get<std::string>());
    return integerForKey(key) != 0;
}

bool UserDefaults::setObject(const std::string& key, nlohmann::json value)
{
    if (value.is_null())
        return removeObjectForKey(key);
    m_user[key] = std::move(value);
    return save();
}

bool UserDefaults::removeObjectForKey(const std::string& key)
{
    if (m_user.erase(key) == 0)
        return true;
    return save();
}

bool UserDefaults::save() const
{
    std::string why;
    if (m_fileKept)
        why = "the unusable file there could not be kept aside, and is never written over";
    else if (!m_folder->isOpen())
        why = m_folder->problem();
    else if (m_folder->writeWhole(m_name, m_user.dump(2, ' ', false, nlohmann::json::error_handler_t::replace)))
        return true;
    else
        why = std::strerror(errno);
    NSLog("could not store user defaults in %s: %s", file().c_str(), why.c_str());
    return false;
}
