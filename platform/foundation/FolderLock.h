#pragma once

#include "platform/foundation/LockRefusal.h"
#include "platform/foundation/LockTable.h"
#include "platform/foundation/OpenFolder.h"
#include "platform/foundation/UniqueFd.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

class FolderAccess;

// Holds a folder for one run of the program at a time, for as long as it lives. The folder is
// opened once (the path as named is followed then, and never again), and every file in it is
// reached through that opening.
//
// The lock is a file of the program's own inside the folder it guards, LockName, locked with flock.
// Only an account that may write the folder can make it, so every run on the folder meets it
// whatever its data folder, HOME, TMPDIR or /tmp, and no name elsewhere can keep anyone out. It is
// made where it is missing, whole before it has its name, with its mark (LockFile::Mark), owner,
// group and mode; after that it is never written, emptied or removed, only opened and locked, and
// the system lets go of it when the process ends, however it ends. Who holds it is asked of the
// system (LockTable), also of a file the run could not open: a file a live run holds is never said
// to be movable, whatever the run could read of it.
//
// The lock is open to exactly those who may write the folder as it is now, whoever made it
// (FolderAccess::openLock), and a run that holds a lock of its own, known by its mark
// (LockFile::isOwn), brings it in line with the folder as it is then. Anything else at the name,
// anyone's, an empty file included, keeps its mode, owner, group and bytes: whoever may write the
// folder may rename any file there. In a folder only the running account may write, a lock is used
// only while it is a regular file of that account's, closed to others once held; a link, anything
// else, or another account's file is refused with what it is and whose (LockRefusal). In a folder
// other accounts may write as well, they may plant or remove names there anyway: any regular file
// there is locked, never written.
class FolderLock {
public:
    static constexpr std::string_view LockName = ".floorpad-screens.lock";
    // Leave: a missing folder, or a folder without the lock file, is left as it is and not held
    // (isMissing): no run can be holding it.
    enum class Missing { Make, Leave };

    // links: how the path is followed; the program follows every link on it.
    explicit FolderLock(std::filesystem::path folder, Missing missing = Missing::Make,
                        OpenFolder::Links links = OpenFolder::Links::Follow);
    ~FolderLock() = default;
    FolderLock(FolderLock&&) noexcept = default;
    FolderLock& operator=(FolderLock&&) noexcept = delete;

    bool isHeld() const { return m_lock.isValid(); }
    // Not held because the folder or its lock file is missing, and nothing was made.
    bool isMissing() const { return m_missing; }
    // Why the folder is not held: "another run is using it: process N of this account holds
    // LOCK" (or "of another account (uid U)", or "a process" where the system names none that has
    // not ended), "another run may be using it: ..." where the table cannot tell the lock from
    // another file of its number, with who can, or what failed, with the system's reason.
    const std::string& problem() const { return m_problem; }
    // The path as named: for messages.
    const std::filesystem::path& path() const { return m_path; }
    // The folder as opened, open whenever it is held.
    const SharedFolder& folder() const { return m_folder; }
    // The locked lock, while held; closed when the program starts another. The system lets go of
    // the folder only once every process with it open has ended or closed it, so a command started
    // with it open keeps the folder held for as long as it runs, whatever ends this process.
    int lockDescriptor() const { return m_lock.get(); }

    // Tests only: work run between the opening of the lock and its locking, to stand for another
    // account removing or replacing it meanwhile.
    static void setBeforeLockingForTesting(std::function<void()> work);

private:
    // Changed: the lock was removed, replaced or opened up between two looks at it: try again.
    enum class Outcome { Done, Changed };
    // access: who may write the folder as it is now.
    Outcome tryToHold(Missing missing, const FolderAccess& access);
    // Why the file open at fd, as info says it is, cannot serve as the lock, if it cannot.
    std::optional<LockRefusal> whyNotUsable(const struct stat& info, const FolderAccess& access, int fd) const;
    // The lock's name could not be opened, for error: what comes of it.
    Outcome notOpened(int error, Missing missing, const FolderAccess& access);
    std::string refused(const std::string& why) const;
    // A run turned away from what stands at the lock's name: told that another run holds it where
    // the system's table of locks says one does, else why it cannot be used and a remedy (fd: the
    // file, where the run could open it).
    std::string refusedAsItStands(const struct stat& file, LockRefusal why, const FolderAccess& access,
                                  const LockTable::Finding& table, int fd = -1) const;
    // "another run is using it: process N ... holds LOCK".
    std::string heldText(const LockTable::Finding& finding) const;
    // For a run that could not try the lock where the table shows a lock that may be on the file as
    // it stands, or on another file of its number: that it cannot tell which, and who can.
    std::string mayBeHeldText(const struct stat& file, const FolderAccess& access) const;
    // A name in the folder nothing has now, for a file to be moved aside from the lock's name; empty
    // where none of those tried is free.
    std::string asideName() const;

    std::filesystem::path m_path;
    SharedFolder m_folder;
    UniqueFd m_lock;
    bool m_missing = false;
    std::string m_problem;
    int m_triesOnAnOpenMode = 0;
};
