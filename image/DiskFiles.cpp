#include "image/DiskFiles.h"

#include <chrono>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace DiskFiles {

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
