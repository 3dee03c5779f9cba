#pragma once

#include "platform/ui/UIApplication.h"

#include <memory>

#include <nlohmann/json.hpp>

class UIWindow;

// The program's application delegate. At launch it seeds the user defaults with the defaults of
// the settings bundle, so every setting has a value before the user ever changes one, and puts
// the main storyboard's first screen in a window. As it terminates it stops the camera, which a
// scan screen left open still runs. Its other life-cycle callbacks do nothing.
class AppDelegate : public UIApplicationDelegate {
public:
    bool applicationDidFinishLaunching(UIApplication& application) override;
    void applicationWillTerminate(UIApplication& application) override;

    // Reads Settings.bundle/Root.plist and registers each entry's Key with its DefaultValue.
    // Returns what it registered (an empty dictionary when there is no bundle).
    nlohmann::json registerDefaultsFromSettingsBundle();

    const std::shared_ptr<UIWindow>& window() const { return m_window; }

private:
    std::shared_ptr<UIWindow> m_window;
};
