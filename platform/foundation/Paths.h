#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Where the program finds its bundled resources and keeps what it stores between runs.
//   resources: $FLOORPAD_RESOURCES, else the folder the build was configured with;
//   data:      $FLOORPAD_DATA_DIR, else setDataFolder(), else ~/.local/share/floorpad.
namespace Paths {
std::filesystem::path resourcesFolder();
std::filesystem::path dataFolder();
void setDataFolder(std::optional<std::filesystem::path> folder);
void setResourcesFolder(std::optional<std::filesystem::path> folder);
// resources/<name>.<type> when it exists (the main bundle's resource lookup).
std::optional<std::filesystem::path> pathForResource(const std::string& name, const std::string& type);
} // namespace Paths

// Writes the bytes to a temporary file beside path, flushes it and renames it over path, so a
// reader sees either the old or the new contents. Creates missing parent folders.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::filesystem::perms permissions = std::filesystem::perms::owner_read
                             | std::filesystem::perms::owner_write);
std::optional<std::string> readFile(const std::filesystem::path& path);
// Renames a file that could not be read to "<path>.unreadable", so that a fresh one written in
// its place does not destroy what it held. The new name, or nothing when the rename failed.
std::optional<std::filesystem::path> moveUnreadableAside(const std::filesystem::path& path);
