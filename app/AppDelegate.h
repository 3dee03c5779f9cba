#pragma once

#include <nlohmann/json.hpp>

// The program's application delegate. At launch it seeds the user defaults with the defaults of
// the settings bundle, so every setting has a value before the user ever changes one. Its other
// life-cycle callbacks do nothing: there is no orderly shutdown.
class AppDelegate {
public:
    virtual ~AppDelegate() = default;

    bool applicationDidFinishLaunching();
    void applicationWillResignActive() {}
    void applicationDidEnterBackground() {}
    void applicationWillEnterForeground() {}
    void applicationDidBecomeActive() {}
    void applicationWillTerminate() {}

    // Reads Settings.bundle/Root.plist and registers each entry's Key with its DefaultValue.
    // Returns what it registered (an empty dictionary when there is no bundle).
    nlohmann::json registerDefaultsFromSettingsBundle();
};
