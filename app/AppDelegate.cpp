#include "app/AppDelegate.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

bool AppDelegate::applicationDidFinishLaunching()
{
    registerDefaultsFromSettingsBundle();
    return true;
}

nlohmann::json AppDelegate::registerDefaultsFromSettingsBundle()
{
    nlohmann::json defaults = nlohmann::json::object();
    auto bundle = Paths::pathForResource("Settings", "bundle");
    if (!bundle) {
        NSLog("Could not find Settings.bundle");
        return defaults;
    }
    auto root = readPropertyList(*bundle / "Root.plist");
    if (!root || !root->is_object() || !root->contains("PreferenceSpecifiers")
        || !(*root)["PreferenceSpecifiers"].is_array()) {
        NSLog("Settings.bundle has no readable PreferenceSpecifiers");
        return defaults;
    }
    for (const auto& entry : (*root)["PreferenceSpecifiers"]) {
        if (!entry.is_object())
            continue;
        auto key = entry.find("Key");
        auto value = entry.find("DefaultValue");
        // Entries without a key are groups and titles; a key without a default has nothing to
        // register.
        if (key == entry.end() || !key->is_string() || value == entry.end())
            continue;
        defaults[key->get<std::string>()] = *value;
    }
    UserDefaults::standard().registerDefaults(defaults);
    return defaults;
}
