#pragma once

#include "platform/foundation/FileIdentity.h"
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
// Run before anything is kept in the data folder. The private fallback lies where every user
// can create names, so it is created closed to others and must then be a folder of this user's
// that nobody else may enter; a folder named by the user or under HOME is taken as it is.
// Why the folder cannot be used, or nothing.
std::optional<std::string> prepareDataFolder();
void setDataFolder(std::optional<std::filesystem::path> folder);
void setResourcesFolder(std::optional<std::filesystem::path> folder);
// resources/<name>.<type> when it exists (the main bundle's resource lookup).
std::optional<std::filesystem::path> pathForResource(const std::string& name, const std::string& type);
} // namespace Paths

// Whether a write waits for its bytes to reach the disk. What must survive a power cut (settings,
// the keychain) is flushed; what may be lost so long as it is never damaged (cached pictures)
// need not be, since the rename alone already keeps a reader from seeing half a file.
enum class FileFlush { ToDisk, Skip };

// Writes the bytes to a new temporary file beside path and renames it over path, so a reader sees
// either the old or the new contents. Creates missing parent folders. The process's first write
// of a file removes the temporary files that killed writers of that file left beside it. A name
// alone does not tell who made a file, so nothing else in the folder is touched, unless the folder
// is the program's own whole: then ownNames tells the names the caller writes there, and the
// first write into the folder removes the leftovers of all of them.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::filesystem::perms permissions = std::filesystem::perms::owner_read
                             | std::filesystem::perms::owner_write,
                         FileFlush flush = FileFlush::ToDisk,
                         const std::function<bool(std::string_view name)>& ownNames = {});
// Writes a new file whole, but only where nothing has the name yet (a file, a link, even a broken
// one): nothing that stood there is replaced. The file is written without a name where the file
// system allows it, so a writer killed on the way leaves nothing behind; elsewhere under a
// temporary name beside it, which such a writer leaves in place. No other file goes.
enum class FileCreation { Created, NameTaken, Failed };
// What was created: the file as it stood once its writing ended, and, open for appending, the
// file itself.
struct CreatedFile {
    FileIdentity identity;
    UniqueFd appending;
};
FileCreation createFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                                  std::filesystem::perms permissions = std::filesystem::perms::owner_read
                                      | std::filesystem::perms::owner_write,
                                  FileFlush flush = FileFlush::ToDisk, CreatedFile* created = nullptr);
// Reads what stands at path, following links and waiting as the file asks (bundled resources,
// system files).
std::optional<std::string> readFile(const std::filesystem::path& path);
// Opens a file the program keeps in its own folders for reading, where anyone who can write there
// may have planted something: a link is not followed and a named pipe is not waited on. What it
// is must still be asked of the opened file.
UniqueFd openStoredFile(const std::filesystem::path& path);
// Reads such a file: only a regular file of at most limit bytes counts. Nothing otherwise, or when
// it cannot be read whole.
std::optional<std::string> readStoredFile(const std::filesystem::path& path, std::size_t limit);
// Renames a file that could not be read to "<path>.unreadable", or, where that is taken, to
// "<path>.unreadable-2" and on, so that a fresh one written in its place destroys nothing: no copy
// set aside ever replaces another. The new name, or nothing when it could not be set aside.
std::optional<std::filesystem::path> moveUnreadableAside(const std::filesystem::path& path);
