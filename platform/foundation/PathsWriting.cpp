// Writing files by path: each goes through its folder, opened once for the write.
#include "platform/foundation/Paths.h"

namespace fs = std::filesystem;

namespace {
OpenFolder folderOf(const fs::path& path)
{
    return OpenFolder::open(path.has_parent_path() ? path.parent_path() : fs::path("."), OpenFolder::Links::Follow,
                            0777);
}
} // namespace

bool writeFileAtomically(const fs::path& path, std::string_view bytes, fs::perms permissions, FileFlush flush,
                         const std::function<bool(std::string_view)>& ownNames)
{
    const auto folder = folderOf(path);
    return folder.isOpen()
        && folder.writeWhole(path.filename().string(), bytes, static_cast<mode_t>(permissions), flush, ownNames);
}

FileCreation createFileAtomically(const fs::path& path, std::string_view bytes, fs::perms permissions, FileFlush flush,
                                  CreatedFile* created)
{
    const auto folder = folderOf(path);
    if (!folder.isOpen())
        return FileCreation::Failed;
    return folder.createNew(path.filename().string(), bytes, static_cast<mode_t>(permissions), flush, created);
}
