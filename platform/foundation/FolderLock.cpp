#include "platform/foundation/FolderLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>

FolderLock::FolderLock(std::filesystem::path folder)
    : m_folder(std::move(folder))
{
    std::error_code ec;
    std::filesystem::create_directories(m_folder, ec);
    UniqueFd fd(::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        m_problem = std::string("cannot open it: ") + std::strerror(errno);
        return;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        m_problem = errno == EWOULDBLOCK ? "another run is using it" : std::string("cannot lock it: ") + std::strerror(errno);
        return;
    }
    m_folderFd = std::move(fd);
}
