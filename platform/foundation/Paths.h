#pragma once

#include "platform/foundation/OpenFolder.h"
#include "platform/foundation/UniqueFd.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Where the program finds its bundled resources and keeps what it stores between runs.
//   resources: $FLOORPAD_RESOURCES, else the folder the build was configured with;
//   data:      setDataFolder() (the command line's), else $FLOORPAD_DATA_DIR, else
//              ~/.local/share/floorpad, else (no HOME) a private folder "floorpad-<uid>" in the
//              temporary folder.
namespace Paths {
std::filesystem::path resourcesFolder();
std::filesystem::path dataFolder();
// Every data folder, however chosen, is a folder of the running account's (not a link; the path
// to it may lead through links) that no other account may write, and a missing one is made mode
// 700, as is every missing folder on the way to it. The private fallback lies where every account
// can create names, so it must moreover be closed to others. Run before anything is kept there: with create unset, a missing folder is
// left to be made later and passes. Why the folder cannot be used (with what to change), or
// nothing; a folder that passes is held from then on.
std::optional<std::string> prepareDataFolder(bool create = true);
// The data folder, held open: opened once for each folder chosen (made when missing), and then
// reached only through that opening. Not open, with its problem, when it cannot be used.
SharedFolder openDataFolder();
void setDataFolder(std::optional<std::filesystem::path> folder);
void setResourcesFolder(std::optional<std::filesystem::path> folder);
// resources/<name>.<type> when it exists (the main bundle's resource lookup).
std::optional<std::filesystem::path> pathForResource(const std::string& name, const std::string& type);
} // namespace Paths

// Writes the bytes whole over the file at path, through its folder opened once (made when missing):
// the folder's OpenFolder::writeWhole.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::filesystem::perms permissions = std::filesystem::perms::owner_read
                             | std::filesystem::perms::owner_write,
                         FileFlush flush = FileFlush::ToDisk,
                         const std::function<bool(std::string_view name)>& ownNames = {});
// Writes a new file at path where nothing has the name yet: the folder's OpenFolder::createNew.
FileCreation createFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                                  std::filesystem::perms permissions = std::filesystem::perms::owner_read
                                      | std::filesystem::perms::owner_write,
                                  FileFlush flush = FileFlush::ToDisk, CreatedFile* created = nullptr);
// Reads the regular file at path, following links (bundled resources, system files, pictures
// named by the user). Anything else there, a named pipe or a device, is not a file read: nothing,
// at once.
std::optional<std::string> readFile(const std::filesystem::path& path);
// The same for a file of at most limit bytes: one larger is refused as it is opened, and one that
// holds more than it said (growing while read) once limit + 1 bytes are in, its buffer never grown
// past the limit, so no read costs more. Nothing otherwise, with errno: EFBIG beyond the limit,
// EINVAL for what is not a regular file, ENOMEM when no memory could be had for the bytes, else the
// system's reason it could not be opened or read.
std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t limit);
// Reads a file kept where anyone who can write there may have planted something, through its folder
// opened once: OpenFolder::read (no link followed, no named pipe waited on, only a regular file of
// at most limit bytes read whole).
std::optional<std::string> readStoredFile(const std::filesystem::path& path, std::size_t limit);
// Sets a file that could not be read aside in its folder: OpenFolder::setAside. The new path, or
// nothing when it could not be set aside.
std::optional<std::filesystem::path> moveUnreadableAside(const std::filesystem::path& path);
