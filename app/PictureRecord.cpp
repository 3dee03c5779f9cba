#include "app/PictureRecord.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Far above what a shift's pictures need.
constexpr std::size_t RecordLimit = 16 << 20;

std::optional<struct stat> regularFileAt(const std::filesystem::path& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return info;
}

// What the entry holds under key, when it is a whole number.
template <typename Number>
std::optional<Number> numberIn(const nlohmann::json& entry, const char* key)
{
    const auto it = entry.find(key);
    if (it == entry.end() || !it->is_number_integer())
        return std::nullopt;
    return it->get<Number>();
}
} // namespace

PictureRecord::PictureRecord(std::filesystem::path folder, std::function<bool(std::string_view)> ownName)
    : m_folder(std::move(folder))
    , m_ownName(std::move(ownName))
{
}

std::size_t PictureRecord::removeRecordedPictures()
{
    const auto file = m_folder / FileName;
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0)
        return 0;
    const auto text = readStoredFile(file, RecordLimit);
    const auto record = text ? nlohmann::json::parse(*text, nullptr, false) : nlohmann::json();
    if (!record.is_object() || !record.contains("pictures") || !record["pictures"].is_array()) {
        const auto aside = moveUnreadableAside(file);
        NSLog("%s is no record of pictures; moved aside to %s, nothing removed", file.c_str(),
              aside ? aside->c_str() : "(could not)");
        return 0;
    }
    std::size_t removed = 0;
    for (const auto& entry : record["pictures"]) {
        const auto named = entry.is_object() ? entry.find("name") : entry.end();
        if (named == entry.end() || !named->is_string())
            continue;
        const std::string name = *named;
        if (!m_ownName(name) || std::filesystem::path(name) != std::filesystem::path(name).filename())
            continue;
        const auto picture = regularFileAt(m_folder / name);
        if (picture && numberIn<std::uint64_t>(entry, "inode") == picture->st_ino
            && numberIn<std::int64_t>(entry, "size") == picture->st_size && ::unlink((m_folder / name).c_str()) == 0)
            ++removed;
    }
    m_entries.clear();
    save();
    return removed;
}

bool PictureRecord::add(const std::string& name)
{
    const auto picture = regularFileAt(m_folder / name);
    if (!picture)
        return false;
    m_entries.push_back({name, picture->st_ino, picture->st_size});
    return save();
}

bool PictureRecord::save() const
{
    auto pictures = nlohmann::json::array();
    for (const auto& entry : m_entries)
        pictures.push_back({{"name", entry.name}, {"inode", entry.inode}, {"size", entry.size}});
    const nlohmann::json record {{"pictures", std::move(pictures)}};
    // Rewritten with every picture, so not waited for on the disk: a record lost to a power cut
    // only leaves its pictures in place.
    return writeFileAtomically(m_folder / FileName, record.dump(), std::filesystem::perms::owner_read
                                   | std::filesystem::perms::owner_write, FileFlush::Skip);
}
