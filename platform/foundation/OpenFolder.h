#pragma once

#include "platform/foundation/FileIdentity.h"
#include "platform/foundation/UniqueFd.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

// Whether a write waits for its bytes to reach the disk. What must survive a power cut (settings,
// the keychain, pictures of the screen) is flushed; what may be lost so long as it is never
// damaged (cached pictures) need not be, since the rename alone already keeps a reader from seeing
// half a file.
enum class FileFlush { ToDisk, Skip };

enum class FileCreation { Created, NameTaken, Failed };
// What was created: the file as it stood once its writing ended, and, open for appending, the
// file itself.
struct CreatedFile {
    FileIdentity identity;
    UniqueFd appending;
};

// A folder the program works in, opened once and reached through that opening for every file in
// it: renaming the folder, or putting a link or another folder at its path, changes nothing for
// whoever holds it. Nothing inside is reached through a link: a link where a file or folder of the
// program's own is expected counts as that name being taken by something else.
//
// Names are single names inside the folder, never paths. A file asked for with no bits for group
// or others (the program's own) is made with exactly that mode, whatever the process's
// file-creation mask; one asked for with wider bits (made for the user) takes the mask. A folder
// made takes the mask in its bits for group and others only: the owner keeps the bits asked for.
// Every call is safe from any thread.
//
// One window stays open: a name inside the folder swapped between the look at what it is and its
// removal. Only an account that may already write in the folder can do that.
class OpenFolder {
public:
    // Follow: every link on the way, and the folder itself, is followed. RefuseLast: the folder
    // itself may not be a link. RefuseAny: no link anywhere on the way either.
    enum class Links { Follow, RefuseLast, RefuseAny };

    OpenFolder() = default;
    OpenFolder(OpenFolder&&) noexcept = default;
    OpenFolder& operator=(OpenFolder&&) noexcept = default;

    // Opens the folder at path, following the links on the way to it as links allows. A name ending
    // in "/" or "/." names the same folder as without. With createMode, every missing folder on the
    // way, and the folder itself, is made with that mode. The folder opened is then given to accept,
    // where there is one; when it cannot be opened in the end, or accept turns it down, the folders
    // made on the way go again.
    static OpenFolder open(const std::filesystem::path& path, Links links,
                           std::optional<mode_t> createMode = std::nullopt,
                           const std::function<bool(const OpenFolder&)>& accept = {});
    // A folder that is not open, carrying why (and the system's error, where one) to whoever tries
    // to use it.
    static OpenFolder notOpen(std::filesystem::path path, std::string problem, int error = 0);
    // The folder name inside this one, never through a link; made with createMode when missing.
    OpenFolder subfolder(const std::string& name, std::optional<mode_t> createMode = std::nullopt) const;

    bool isOpen() const { return m_fd.isValid(); }
    int fd() const { return m_fd.get(); }
    // The path it was opened as: for messages, never for reaching it again.
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path pathOf(std::string_view name) const { return m_path / name; }
    // Why it is not open: "cannot open PATH: reason", or what it is instead of a folder.
    const std::string& problem() const { return m_problem; }
    // The system's error that kept it from being opened or made (ENOENT: something on the way is
    // missing), or 0.
    int error() const { return m_error; }
    // The folder as opened (its device and inode tell it from every other).
    std::optional<struct stat> status() const;

    // What stands at name, a link as itself; nothing, with errno, when nothing does.
    std::optional<struct stat> statusOf(const std::string& name) const;
    // Opens name for reading where anyone who can write here may have planted something: a link is
    // not followed and a named pipe is not waited on. What it is must still be asked of the file.
    UniqueFd openForReading(const std::string& name) const;
    // Reads name when it is a regular file of at most limit bytes. Otherwise nothing, with why
    // ("it is a link", "it is a named pipe", "it is larger than ...", or the system's reason).
    std::optional<std::string> read(const std::string& name, std::size_t limit, std::string* why = nullptr) const;

    // Writes the bytes to a new temporary file here and renames it over name, so a reader sees the
    // old or the new contents. The first write of a name in this process removes the temporaries
    // that killed writers of it left; where the folder is the program's own whole, ownNames tells
    // the names it writes here and the first write into it removes the leftovers of all of them.
    // False, with errno, when it could not be written (then no temporary is left).
    bool writeWhole(const std::string& name, std::string_view bytes, mode_t mode = 0600,
                    FileFlush flush = FileFlush::ToDisk,
                    const std::function<bool(std::string_view)>& ownNames = {}) const;
    // Writes a new file whole, but only where nothing has the name yet (a file, a link, even a
    // broken one): nothing that stood there is replaced. The file is written without a name where
    // the system allows it, so a writer killed on the way leaves nothing behind; elsewhere under a
    // temporary name beside it, which such a writer leaves in place. beforeNaming gets the file,
    // written whole, before it has its name: whatever it sets (an owner, a group) is all that is
    // ever seen there. Failed comes with errno.
    FileCreation createNew(const std::string& name, std::string_view bytes, mode_t mode = 0600,
                           FileFlush flush = FileFlush::ToDisk, CreatedFile* created = nullptr,
                           const std::function<void(int fd)>& beforeNaming = {}) const;

    // Removes name while it is still the very file identified. Whether it went.
    bool removeIfStill(const std::string& name, const FileIdentity& identity) const;
    // Removes a file or link at name, never a folder. Whether it went (errno when not).
    bool remove(const std::string& name) const;
    // Removes a folder at name with all it holds, following no link, or a file or link at name.
    void removeAll(const std::string& name) const;
    // Empties this folder of everything in it, following no link.
    void removeEverything() const;
    // Renames name to "<name>.unreadable", or, where that is taken, "<name>.unreadable-2" and on,
    // so no copy set aside ever replaces another. The new name, or nothing (with errno).
    std::optional<std::string> setAside(const std::string& name) const;
    // The names in the folder, "." and ".." left out.
    std::vector<std::string> names() const;

    // Tests only: work run between the look at a file and its removal, to stand for another
    // account moving things meanwhile. Set it while nothing else removes files.
    static void setBeforeRemovalForTesting(std::function<void()> work);
    // Tests only: work run once a folder is made, before it is looked at, to stand for whatever
    // makes that look fail. Set it while nothing else makes folders.
    static void setAfterMakingForTesting(std::function<void()> work);
    // Tests only: where descriptors are found to link an unnamed file in (the system's /proc/self/fd).
    static void setDescriptorFolderForTesting(std::optional<std::filesystem::path> folder);

private:
    OpenFolder(UniqueFd fd, std::filesystem::path path);
    std::optional<FileCreation> createUnnamedFirst(const std::string& name, std::string_view bytes, mode_t mode,
                                                   FileFlush flush, CreatedFile* created,
                                                   const std::function<void(int fd)>& beforeNaming) const;
    // A new file under a temporary name beside name, written whole.
    std::optional<std::pair<std::string, UniqueFd>> writeTemporary(const std::string& name, std::string_view bytes,
                                                                   mode_t mode, FileFlush flush) const;
    void removeLeftovers(const std::function<bool(std::string_view)>& ownNames) const;

    UniqueFd m_fd;
    std::filesystem::path m_path;
    std::string m_problem;
    int m_error = 0;
};

// What stands there, for messages: "a file", "a link", "a named pipe" ...
std::string kindOf(const struct stat& info);
// The same said of it: "it is a file", "it is a link" ...
std::string whatItIs(const struct stat& info);
// A mode's permission bits as people write them, "0644": for messages.
std::string modeText(mode_t mode);

using SharedFolder = std::shared_ptr<const OpenFolder>;
