#pragma once

#include "platform/ui/InterfaceDescriptions.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// Reads storyboards (<name>.storyboard.json) and nibs (<name>.nib.json) from the interface
// folder of the resources, checks their shape, and keeps what it read by name. A missing or
// malformed file gives nothing and one log line that says where the fault lies.
class InterfaceFileReader {
public:
    static std::filesystem::path folder();
    static std::filesystem::path storyboardPath(const std::string& name);
    static std::filesystem::path nibPath(const std::string& name);

    static std::shared_ptr<const StoryboardDescription> storyboard(const std::string& name);
    static std::shared_ptr<const NibDescription> nib(const std::string& name);

    // From text, uncached; name is only for the log line.
    static std::optional<StoryboardDescription> parseStoryboard(const std::string& text, const std::string& name);
    static std::optional<NibDescription> parseNib(const std::string& text, const std::string& name);

    static void clearCache();
};
