#pragma once

#include "platform/foundation/OpenFolder.h"

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

// Settings in two domains: the registered defaults (for this run only, registered again at
// every launch) below the user's own values, which are kept in a JSON file under the data
// folder and written through at every change.
class UserDefaults {
public:
    // The user domain of standard() lives in <data folder>/defaults.json.
    static UserDefaults& standard();
    // Re-reads the standard defaults from the current data folder (tests move the folder).
    static void resetStandard();

    // The file name in the folder, reached only through the folder as opened.
    UserDefaults(SharedFolder folder, std::string name);
    // The file at path; its folder is opened once, now (made when missing).
    explicit UserDefaults(const std::filesystem::path& file);

    void registerDefaults(const nlohmann::json& dictionary);
    const nlohmann::json& registeredDefaults() const { return m_registered; }

    std::optional<nlohmann::json> objectForKey(const std::string& key) const;
    // Text values as they stand, numbers and booleans as their text; nothing for other kinds.
    std::optional<std::string> stringForKey(const std::string& key) const;
    // Numbers directly, text by its leading integer, booleans as 1 or 0; 0 when missing.
    std::int64_t integerForKey(const std::string& key) const;
    bool boolForKey(const std::string& key) const;

    // Returns false when the user domain could not be stored (the log says where and why); the
    // value is in force regardless.
    bool setObject(const std::string& key, nlohmann::json value);
    bool removeObjectForKey(const std::string& key);

    std::filesystem::path file() const { return m_folder->pathOf(m_name); }

private:
    bool save() const;

    SharedFolder m_folder;
    std::string m_name;
    nlohmann::json m_registered = nlohmann::json::object();
    nlohmann::json m_user = nlohmann::json::object();
    // An unreadable file that could not be set aside: it is never written over.
    bool m_fileKept = false;
};
