#include "image/DiskFiles.h"

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace DiskFiles {

std::optional<std::string> readCapped(const fs::path& path, std::size_t limit)
{
    // Without O_NONBLOCK a named pipe in a picture's place would hold the disk queue until some
    // writer came along; opened, it is turned away below with everything else that is no file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<std::string> result;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) <= limit) {
        std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
        std::size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        if (got == bytes.size())
            result = std::move(bytes);
    }
    ::close(fd);
    return result;
}

void markExcludedFromBackup(const fs::path& path)
{
    static const char value = '1';
    ::setxattr(path.c_str(), "user.floorpad.exclude-from-backup", &value, 1, 0);
}

std::vector<Entry> filesBelow(const fs::path& folder)
{
    std::vector<Entry> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        if (path.filename().string().starts_with('.')) {
            if (it->is_directory(ec))
                it.disable_recursion_pending();
            continue;
        }
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
            continue;
        files.push_back({path, static_cast<double>(info.st_mtim.tv_sec) + info.st_mtim.tv_nsec / 1e9,
                         static_cast<std::uint64_t>(info.st_blocks) * 512, static_cast<std::uint64_t>(info.st_size)});
    }
    return files;
}

double now()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

} // namespace DiskFiles
