#pragma once

#include "platform/foundation/OpenFolder.h"
#include "platform/foundation/UniqueFd.h"

#include <filesystem>
#include <string>
#include <string_view>

// Holds a folder for one run of the program at a time, for as long as it lives. The folder is
// opened once (the path as named is followed then, and never again), and every file in it is
// reached through that opening.
//
// The lock is a file of the program's own inside the folder it guards, LockName, locked with flock
// and naming the process that holds it. Only an account that may write the folder can make it, so
// every run on the folder meets it whatever its data folder, HOME, TMPDIR or /tmp, and no name
// elsewhere can keep anyone out. It is used only while it is a regular file of the running
// account's that no other account may open; a link, anything else, or another account's file is
// refused with the reason. It is never removed: the system lets go of it when the process ends,
// however it ends.
class FolderLock {
public:
    static constexpr std::string_view LockName = ".floorpad-screens.lock";
    // Leave: a missing folder, or a folder without the lock file, is left as it is and not held
    // (isMissing): no run can be holding it.
    enum class Missing { Make, Leave };

    explicit FolderLock(std::filesystem::path folder, Missing missing = Missing::Make);
    ~FolderLock();
    FolderLock(FolderLock&&) noexcept = default;
    FolderLock& operator=(FolderLock&&) noexcept = delete;

    bool isHeld() const { return m_lock.isValid(); }
    // Not held because the folder or its lock file is missing, and nothing was made.
    bool isMissing() const { return m_missing; }
    // Why the folder is not held: "another run is using it: process N of this account holds
    // LOCK", or what failed, with the system's reason.
    const std::string& problem() const { return m_problem; }
    // The path as named: for messages.
    const std::filesystem::path& path() const { return m_path; }
    // The folder as opened, open whenever it is held.
    const SharedFolder& folder() const { return m_folder; }

private:
    void hold(Missing missing);
    std::string refused(const std::string& why) const;

    std::filesystem::path m_path;
    SharedFolder m_folder;
    UniqueFd m_lock;
    bool m_missing = false;
    std::string m_problem;
};
