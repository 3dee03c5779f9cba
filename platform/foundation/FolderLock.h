#pragma once

#include "platform/foundation/OpenFolder.h"
#include "platform/foundation/UniqueFd.h"

#include <filesystem>
#include <string>

// Holds a folder for one run of the program at a time, for as long as it lives. The folder is
// opened once, made when missing (the path as named is followed then, and never again), and every
// file in it is reached through that opening.
//
// The lock is a file named after the folder's device and inode ("<device>-<inode>.lock") in a
// private folder of the account's own under /tmp (Paths::privateTemporaryFolder("floorpad-locks")),
// locked with flock and naming the process that holds it. Every run of the account on the folder
// meets it whatever data folder it uses, and no other account can take it or plant it: another
// account's runs keep nothing out. The system lets go of it when the process ends however it ends;
// the file goes when the holder lets go.
class FolderLock {
public:
    explicit FolderLock(std::filesystem::path folder);
    ~FolderLock();
    FolderLock(FolderLock&&) noexcept = default;
    FolderLock& operator=(FolderLock&&) noexcept = delete;

    bool isHeld() const { return m_lock.isValid(); }
    // Why the folder is not held: "another run is using it: process N of this account holds
    // LOCK", or what failed, with the system's reason.
    const std::string& problem() const { return m_problem; }
    // The path as named: for messages.
    const std::filesystem::path& path() const { return m_path; }
    // The folder as opened, open whenever it is held.
    const SharedFolder& folder() const { return m_folder; }
    // The lock file's name in the lock folder for a folder of this device and inode.
    static std::string lockName(const struct stat& folder);

private:
    void hold();

    std::filesystem::path m_path;
    SharedFolder m_folder;
    OpenFolder m_locks;
    std::string m_lockName;
    UniqueFd m_lock;
    std::string m_problem;
};
