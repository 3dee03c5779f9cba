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
#include <string_view>
#include <sys/stat.h>

namespace {
std::unique_ptr<UserDefaults>& standardInstance()
{
    static std::unique_ptr<UserDefaults> instance;
    return instance;
}

// A key a line, each value on its key's line: the file grows with what it holds alone, whatever
// its values' nesting, and stays easy to read. Handed over a bit at a time, so that its length is
// known before any of it is kept.
template<typename Take>
void writeText(const nlohmann::json& table, const Take& take)
{
    take("{");
    bool first = true;
    for (const auto& [key, value] : table.items()) {
        take(first ? "\n  " : ",\n  ");
        take(JsonDocument::text(key));
        take(": ");
        take(JsonDocument::text(value));
        first = false;
    }
    take(table.empty() ? "}\n" : "\n}\n");
}

std::size_t fileLength(const nlohmann::json& table)
{
    std::size_t length = 0;
    writeText(table, [&length](std::string_view bit) { length += bit.size(); });
    return length;
}

// Made in a buffer of its final length: one grown as it is written would hold twice the text,
// and three times while it grows.
std::string fileText(const nlohmann::json& table, std::size_t length)
{
    std::string text;
    text.reserve(length);
    writeText(table, [&text](std::string_view bit) { text += bit; });
    return text;
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
    if (const auto bytes = read(&why)) {
        m_user = JsonDocument::build(*bytes);
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
    if (const auto bytes = readHeld())
        m_user = JsonDocument::build(*bytes);
}

std::optional<std::string> UserDefaults::read(std::string* why) const
{
    if (!m_folder->statusOf(m_name) && errno == ENOENT)
        return "{}";
    auto bytes = m_folder->read(m_name, MostFileBytes, why);
    if (!bytes)
        return std::nullopt;
    auto look = JsonDocument::look(*bytes);
    if (!look.refusal && look.table)
        return bytes;
    *why = look.refusal ? std::move(*look.refusal) : "it holds no table of settings";
    return std::nullopt;
}

std::optional<std::string> UserDefaults::readHeld() const
{
    std::string why;
    if (auto bytes = read(&why))
        return bytes;
    // The next write would replace the unusable file; keep it beside the new one instead.
    const auto aside = m_folder->setAside(m_name);
    const std::string outcome = aside ? "kept as " + m_folder->pathOf(*aside).string()
                                      : std::string("not kept aside (") + std::strerror(errno)
            + "), so values are not stored";
    NSLog("user defaults file %s is not usable (%s); %s, starting with no user values", file().c_str(), why.c_str(),
          outcome.c_str());
    return aside ? std::optional<std::string>("{}") : std::nullopt;
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

std::optional<std::string> UserDefaults::whyNeverStored(const nlohmann::json& values)
{
    if (!values.is_object())
        return "the values to set are not a table of keys";
    // The table is a level of its own: a value may nest one level less than a file may.
    for (const auto& [key, value] : values.items()) {
        if (JsonDocument::levelsOf(value) >= JsonDocument::MostLevels)
            return "the value of " + key + " is nested deeper than a settings file may be ("
                + std::to_string(JsonDocument::MostLevels) + " levels)";
        // Written, such text would be altered, and read back as something the run never set.
        if (!JsonDocument::writesExactly(key))
            return "the key " + JsonDocument::text(key) + " is not UTF-8";
        if (!JsonDocument::writesExactly(value))
            return "the value of " + key + " holds text that is not UTF-8";
    }
    return std::nullopt;
}

bool UserDefaults::setObjects(const nlohmann::json& values)
{
    if (auto why = whyNeverStored(values))
        return refuse(std::move(*why));
    std::optional<ChangeLock> lock;
    if (m_folder->isOpen())
        lock.emplace(*m_folder, m_name);
    bool readAgain = false;
    if (lock && lock->isHeld()) {
        if (const auto bytes = readHeld()) {
            // The table read earlier goes before the file's is built: the two together would cost
            // twice what a file may.
            m_user = nlohmann::json::object();
            m_user = JsonDocument::build(*bytes);
            readAgain = true;
        }
    }
    for (const auto& [key, value] : values.items()) {
        if (value.is_null())
            m_user.erase(key);
        else
            m_user[key] = value;
    }
    if (!lock)
        return refuse(m_folder->problem());
    if (!lock->isHeld())
        return refuse(lock->problem());
    if (!readAgain)
        return refuse("the unusable file there could not be kept aside, and is never written over");
    return store();
}

bool UserDefaults::store()
{
    if (JsonDocument::valuesOf(m_user) > JsonDocument::MostValues)
        return refuse("it would hold more than " + std::to_string(JsonDocument::MostValues)
                      + " values, the most that a settings file is read with");
    const auto length = fileLength(m_user);
    if (length > MostFileBytes)
        return refuse("it would be " + std::to_string(length) + " bytes, over the " + std::to_string(MostFileBytes)
                      + " that a settings file is read up to");
    if (!m_folder->writeWhole(m_name, fileText(m_user, length)))
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
