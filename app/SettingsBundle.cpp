#include "app/SettingsBundle.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"

#include <algorithm>

SettingsBundle SettingsBundle::read()
{
    SettingsBundle bundle;
    const auto folder = Paths::pathForResource("Settings", "bundle");
    if (!folder) {
        NSLog("Could not find Settings.bundle");
        return bundle;
    }
    const auto root = readPropertyList(*folder / "Root.plist");
    if (!root || !root->is_object() || !root->contains("PreferenceSpecifiers")
        || !(*root)["PreferenceSpecifiers"].is_array()) {
        NSLog("Settings.bundle has no readable PreferenceSpecifiers");
        return bundle;
    }
    for (const auto& entry : (*root)["PreferenceSpecifiers"]) {
        if (!entry.is_object())
            continue;
        const auto key = entry.find("Key");
        // Entries without a key are groups and titles.
        if (key == entry.end() || !key->is_string())
            continue;
        const auto name = key->get<std::string>();
        if (!bundle.hasKey(name))
            bundle.keys.push_back(name);
        if (const auto value = entry.find("DefaultValue"); value != entry.end())
            bundle.defaults[name] = *value;
    }
    return bundle;
}

bool SettingsBundle::hasKey(const std::string& key) const
{
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}
