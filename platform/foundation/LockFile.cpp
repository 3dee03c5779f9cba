#include "platform/foundation/LockFile.h"

#include <array>
#include <unistd.h>

namespace LockFile {

Look lookOf(const struct stat& file)
{
    const mode_t mode = file.st_mode & 07777;
    if (!S_ISREG(file.st_mode) || file.st_nlink != 1 || (mode != 0600 && mode != 0640 && mode != 0644))
        return Look::NotALock;
    if (file.st_size == 0)
        return Look::EarlierLock;
    return file.st_size == static_cast<off_t>(Mark.size()) ? Look::Lock : Look::NotALock;
}

bool isMarked(int fd, const struct stat& file)
{
    if (lookOf(file) != Look::Lock)
        return false;
    // One byte past the mark shows a file written beyond it since the look.
    std::array<char, Mark.size() + 1> held {};
    const ssize_t read = ::pread(fd, held.data(), held.size(), 0);
    return read == static_cast<ssize_t>(Mark.size()) && std::string_view(held.data(), Mark.size()) == Mark;
}

bool isOwn(int fd, const struct stat& file)
{
    return file.st_uid == ::geteuid() && isMarked(fd, file);
}

} // namespace LockFile
