#include "image/DiskFiles.h"

#include <chrono>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace DiskFiles {

void markExcludedFromBackup(const OpenFolder& folder, const std::string& name)
{
    static const char value = '1';
    // Marked through the file opened, never through a link put in its place.
    if (const auto file = folder.openForReading(name))
        ::fsetxattr(file.get(), "user.floorpad.exclude-from-backup", &value, 1, 0);
}

namespace {
void collect(const SharedFolder& folder, std::vector<Entry>& files, std::size_t& foldersOpened)
{
    for (auto& name : folder->names()) {
        if (name.starts_with('.'))
            continue;
        const auto info = folder->statusOf(name);
        if (!info)
            continue;
        if (S_ISDIR(info->st_mode)) {
            if (foldersOpened >= MostFoldersOpened)
                continue;
            auto inner = folder->subfolder(name);
            if (!inner.isOpen())
                continue;
            ++foldersOpened;
            collect(std::make_shared<const OpenFolder>(std::move(inner)), files, foldersOpened);
            continue;
        }
        files.push_back({folder, std::move(name),
                         static_cast<double>(info->st_mtim.tv_sec) + info->st_mtim.tv_nsec / 1e9,
                         static_cast<std::uint64_t>(info->st_blocks) * 512, static_cast<std::uint64_t>(info->st_size)});
    }
}
} // namespace

std::vector<Entry> filesBelow(const SharedFolder& folder)
{
    std::vector<Entry> files;
    std::size_t foldersOpened = 0;
    if (folder && folder->isOpen())
        collect(folder, files, foldersOpened);
    return files;
}

double now()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

} // namespace DiskFiles
