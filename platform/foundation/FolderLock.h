#pragma once

#include "platform/foundation/UniqueFd.h"

#include <filesystem>
#include <string>

// Holds a folder for one run of the program at a time, for as long as it lives: an advisory lock
// on the folder itself, so nothing is added to the folder for it, and the system lets go of it
// when the process ends however it ends. Another run that asks for the folder meanwhile is
// refused at once.
class FolderLock {
public:
    // Creates the folder when it is missing, then asks for it.
    explicit FolderLock(std::filesystem::path folder);

    bool isHeld() const { return m_folderFd.isValid(); }
    // Why the folder is not held, in a few words: "another run is using it", or what failed.
    const std::string& problem() const { return m_problem; }
    const std::filesystem::path& folder() const { return m_folder; }

private:
    std::filesystem::path m_folder;
    UniqueFd m_folderFd;
    std::string m_problem;
};
