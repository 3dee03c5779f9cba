#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// The settings the program ships with, as Settings.bundle/Root.plist lists them: every key a user
// may set, and the defaults of those that have one. The bundle is the one list of settings, so the
// defaults registered at launch and the keys the command line may set never drift apart.
struct SettingsBundle {
    // Each key once, in the bundle's order (the order the user reads them in).
    std::vector<std::string> keys;
    // Key to default value; a later entry for a key wins.
    nlohmann::json defaults = nlohmann::json::object();

    // What the bundle among the resources says; nothing when there is none or it cannot be read
    // (the log says which).
    static SettingsBundle read();

    bool hasKey(const std::string& key) const;
};
