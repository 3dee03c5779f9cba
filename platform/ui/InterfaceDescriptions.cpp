#include "platform/ui/InterfaceDescriptions.h"

const SceneDescription* StoryboardDescription::sceneWithID(const std::string& id) const
{
    for (const auto& scene : scenes) {
        if (scene.id == id)
            return &scene;
    }
    return nullptr;
}

const SceneDescription* StoryboardDescription::sceneWithIdentifier(const std::string& identifier) const
{
    if (identifier.empty())
        return nullptr;
    for (const auto& scene : scenes) {
        if (scene.identifier == identifier)
            return &scene;
    }
    return nullptr;
}

const SegueDescription* StoryboardDescription::segue(const std::string& sourceScene, const std::string& identifier) const
{
    for (const auto& s : segues) {
        if (s.source == sourceScene && s.identifier == identifier)
            return &s;
    }
    return nullptr;
}
