#include "platform/ui/InterfaceSpecs.h"

const InterfaceSceneSpec* StoryboardSpec::sceneWithID(const std::string& id) const
{
    for (const auto& scene : scenes) {
        if (scene.id == id)
            return &scene;
    }
    return nullptr;
}

const InterfaceSceneSpec* StoryboardSpec::sceneWithIdentifier(const std::string& identifier) const
{
    if (identifier.empty())
        return nullptr;
    for (const auto& scene : scenes) {
        if (scene.identifier == identifier)
            return &scene;
    }
    return nullptr;
}

const InterfaceSegueSpec* StoryboardSpec::segue(const std::string& sourceScene, const std::string& identifier) const
{
    for (const auto& s : segues) {
        if (s.source == sourceScene && s.identifier == identifier)
            return &s;
    }
    return nullptr;
}
