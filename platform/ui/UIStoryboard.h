#pragma once

#include "platform/ui/InterfaceDescriptions.h"
#include "platform/ui/UIStoryboardSegue.h"
#include "platform/ui/UIViewController.h"

#include <memory>
#include <string>

// A storyboard file: its scenes become controllers, each with its view tree built on first use
// (outlets and actions connected before viewDidLoad), and its segues lead from scene to scene.
// A scene may sit in a navigation controller; asking for the scene then gives that.
class UIStoryboard : public std::enable_shared_from_this<UIStoryboard> {
public:
    // Null, with a log line, for a storyboard that is missing or malformed.
    static std::shared_ptr<UIStoryboard> storyboardWithName(const std::string& name);
    explicit UIStoryboard(std::shared_ptr<const StoryboardDescription> contents);

    const std::string& name() const { return m_contents->name; }
    const StoryboardDescription& contents() const { return *m_contents; }

    // Null, with a log line, for an unknown identifier or a scene whose classes, outlets or
    // actions are not registered.
    std::shared_ptr<UIViewController> instantiateInitialViewController();
    std::shared_ptr<UIViewController> instantiateViewControllerWithIdentifier(const std::string& identifier);

    // The segue of that identifier leaving the scene, with its destination made; null, with a
    // log line, when the scene has no such segue or its destination cannot be made.
    std::shared_ptr<UIStoryboardSegue> segueFromScene(const std::string& sceneID, const std::string& identifier,
                                                      const std::shared_ptr<UIViewController>& source);

private:
    std::shared_ptr<UIViewController> instantiateScene(const SceneDescription& scene);

    std::shared_ptr<const StoryboardDescription> m_contents;
};

using UIStoryboardPtr = std::shared_ptr<UIStoryboard>;
