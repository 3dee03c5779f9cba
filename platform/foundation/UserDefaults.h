#pragma once

#include "platform/foundation/OpenFolder.h"

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

// Settings in two domains: the registered defaults (for this run only, registered again at
// every launch) below the user's own values, which are kept in a JSON file under the data
// folder and written through at every change.
//
// Several runs may share the file, so a change is made under the file's ChangeLock: the file is
// read again under it, only the values changed are put onto what it holds then, and the run's own
// values become the file's. The run's table goes before the file's is built, so a run never holds
// two. What is written can always be read back exactly: a file that would be larger than
// MostFileBytes or hold more than JsonDocument::MostValues values, a value nested deeper than
// JsonDocument::MostLevels, or text that is not UTF-8, is refused and the file left as it was; a
// file read that is any of these is unusable, and set aside.
class UserDefaults {
public:
    // Settings are a few kilobytes; a file far larger is not the settings. With the bound on the
    // values a file holds, it keeps what a file can cost a run to a few megabytes.
    static constexpr std::size_t MostFileBytes = 1 << 20;

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

    // Returns false when the user domain could not be stored (the log and problem() say why); the
    // value is in force regardless, unless it is nested too deeply or holds text that is not UTF-8,
    // which is never stored at all.
    bool setObject(const std::string& key, nlohmann::json value);
    bool removeObjectForKey(const std::string& key);
    // Sets each value of the table (removes each key whose value is null) in one change: all are
    // stored, or none.
    bool setObjects(const nlohmann::json& values);
    // Why the last change was not stored; empty when it was.
    const std::string& problem() const { return m_problem; }

    std::filesystem::path file() const { return m_folder->pathOf(m_name); }

private:
    // The file's bytes as they stand, looked over and found to hold a table of settings ("{}" where
    // there is no file); nothing (with why) where the file is not usable. Nothing is built from them
    // yet, so whoever builds the table can let go of the one it holds first.
    std::optional<std::string> read(std::string* why) const;
    // The same, read while the lock is held: an unusable file is set aside (and said to be), and
    // counts as an empty table. Nothing where it could not be set aside: it is never written over.
    std::optional<std::string> readHeld() const;
    // Why the values may never be stored, whatever the file holds; nothing when they may.
    static std::optional<std::string> whyNeverStored(const nlohmann::json& values);
    // Writes the run's table as the file, under the lock held. False, with why, where it may not be.
    bool store();
    bool refuse(std::string why);

    SharedFolder m_folder;
    std::string m_name;
    nlohmann::json m_registered = nlohmann::json::object();
    nlohmann::json m_user = nlohmann::json::object();
    std::string m_problem;
};
