#include "platform/foundation/UserDefaults.h"

#include "platform/foundation/ChangeLock.h"
#include "platform/foundation/JsonDocument.h"
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

// A key a line, each value on its key's line: the file grows with what it holds alone, whatever
// its values' nesting, and stays easy to read.
std::string fileText(const nlohmann::json& table)
{
    std::string text = "{";
    for (const auto& [key, value] : table.items())
        text += (text.size() > 1 ? ",\n  " : "\n  ") + JsonDocument::text(key) + ": " + JsonDocument::text(value);
    return text + (table.empty() ? "}\n" : "\n}\n");
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
    if (!m_folder->isOpen())
        return;
    std::string why;
    if (auto table = read(&why)) {
        m_user = std::move(*table);
        return;
    }
    // Another run may be replacing the file at this moment: only a run holding the lock looks again
    // and sets an unusable file aside, so it never sets aside the file another run just wrote.
    const ChangeLock lock(*m_folder, m_name);
    if (!lock.isHeld()) {
        NSLog("user defaults file %s is not usable (%s); not kept aside (%s), starting with no user values",
              file().c_str(), why.c_str(), lock.problem().c_str());
        return;
    }
    m_user = readHeld().value_or(nlohmann::json::object());
}

std::optional<nlohmann::json> UserDefaults::read(std::string* why) const
{
    if (!m_folder->statusOf(m_name) && errno == ENOENT)
        return nlohmann::json::object();
    const auto bytes = m_folder->read(m_name, MostFileBytes, why);
    if (!bytes)
        return std::nullopt;
    auto parsed = JsonDocument::parse(*bytes, why);
    if (parsed && parsed->is_object())
        return parsed;
    if (parsed)
        *why = "it holds no table of settings";
    return std::nullopt;
}

std::optional<nlohmann::json> UserDefaults::readHeld() const
{
    std::string why;
    if (auto table = read(&why))
        return table;
    // The next write would replace the unusable file; keep it beside the new one instead.
    const auto aside = m_folder->setAside(m_name);
    const std::string outcome = aside ? "kept as " + m_folder->pathOf(*aside).string()
                                      : std::string("not kept aside (") + std::strerror(errno)
            + "), so values are not stored";
    NSLog("user defaults file %s is not usable (%s); %s, starting with no user values", file().c_str(), why.c_str(),
          outcome.c_str());
    return aside ? std::optional(nlohmann::json::object()) : std::nullopt;
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
    return setObjects({{key, std::move(value)}});
}

bool UserDefaults::removeObjectForKey(const std::string& key)
{
    return setObjects({{key, nullptr}});
}

bool UserDefaults::setObjects(const nlohmann::json& values)
{
    if (!values.is_object())
        return refuse("the values to set are not a table of keys");
    // The table is a level of its own: a value may nest one level less than a file may.
    for (const auto& [key, value] : values.items()) {
        if (JsonDocument::levelsOf(value) >= JsonDocument::MostLevels)
            return refuse("the value of " + key + " is nested deeper than a settings file may be ("
                          + std::to_string(JsonDocument::MostLevels) + " levels)");
    }
    std::optional<ChangeLock> lock;
    if (m_folder->isOpen())
        lock.emplace(*m_folder, m_name);
    auto table = lock && lock->isHeld() ? readHeld() : std::nullopt;
    nlohmann::json& changed = table ? *table : m_user;
    for (const auto& [key, value] : values.items()) {
        if (value.is_null())
            changed.erase(key);
        else
            changed[key] = value;
    }
    if (table)
        m_user = std::move(*table);
    if (!lock)
        return refuse(m_folder->problem());
    if (!lock->isHeld())
        return refuse(lock->problem());
    if (!table)
        return refuse("the unusable file there could not be kept aside, and is never written over");
    const auto text = fileText(m_user);
    if (text.size() > MostFileBytes)
        return refuse("it would be " + std::to_string(text.size()) + " bytes, over the "
                      + std::to_string(MostFileBytes) + " that a settings file is read up to");
    if (!m_folder->writeWhole(m_name, text))
        return refuse(std::strerror(errno));
    m_problem.clear();
    return true;
}

bool UserDefaults::refuse(std::string why)
{
    m_problem = std::move(why);
    NSLog("could not store user defaults in %s: %s", file().c_str(), m_problem.c_str());
    return false;
}
