#include "platform/capture/PictureFrameSource.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/OpenFolder.h"
#include "platform/foundation/UniqueFd.h"
#include "platform/graphics/PictureData.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
// The entries of the folder at path in name order, or path itself when it is no folder.
std::vector<fs::path> entriesAt(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_directory(path, ec))
        return {path};
    std::vector<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(path, ec))
        entries.push_back(entry.path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Why the file at path can hold no picture read, in words that follow its path ("cannot be read:
// Permission denied", "is too large to be a picture (...)"), found without reading it; nothing when
// it may be read.
std::optional<std::string> whyUnreadable(const fs::path& file)
{
    // Opened without waiting, as the picture is read: a named pipe put there since is not waited on.
    const UniqueFd opened(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    PictureProblem problem;
    if (!opened || ::fstat(opened.get(), &info) != 0)
        problem.unreadable(errno);
    else if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > PixelLimits::MaxFileBytes)
        problem.tooLarge(static_cast<std::uint64_t>(info.st_size));
    else
        return std::nullopt;
    return problem.describe();
}

// The picture decoded now when it fits in room (taken from it), else left to be decoded at its
// turn; nothing, with why, for a file that holds no picture the decoders take.
std::optional<UIImagePtr> admit(const fs::path& file, std::size_t& room, PictureProblem& problem)
{
    const auto bytes = PictureData::read(file, problem);
    const auto header = bytes ? PictureData::probe(*bytes, problem) : std::nullopt;
    if (!header)
        return std::nullopt;
    if (header->decodedBytes() > room)
        return UIImagePtr();
    auto picture = PictureData::decode(*bytes, PictureData::scaleOf(file), problem);
    if (!picture)
        return std::nullopt;
    room -= std::min(room, picture->memoryBytes());
    return picture;
}
} // namespace

std::shared_ptr<PictureFrameSource> PictureFrameSource::fromPath(const fs::path& path, TimeInterval interval,
                                                                 std::size_t budget)
{
    std::vector<Picture> pictures;
    std::size_t room = budget;
    for (auto& file : entriesAt(path)) {
        if (const auto why = whyNoPictureAt(file, FolderThere::NotAPicture)) {
            NSLog("camera: %s, left out", why->c_str());
            continue;
        }
        PictureProblem problem;
        if (auto picture = admit(file, room, problem))
            pictures.push_back({std::move(file), std::move(*picture)});
        else
            NSLog("camera: %s %s, left out", file.c_str(), problem.describe().c_str());
    }
    return std::shared_ptr<PictureFrameSource>(new PictureFrameSource(std::move(pictures), interval));
}

std::optional<std::string> PictureFrameSource::whyNoPictureAt(const fs::path& path, FolderThere folder)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (const int error = errno; error != ENOENT)
            return path.string() + " cannot be reached: " + std::strerror(error);
        if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode))
            return path.string() + " is a link to something missing";
        return "nothing is at " + path.string();
    }
    if (S_ISDIR(info.st_mode) && folder == FolderThere::Listed) {
        // A folder that may not be listed shows none of the pictures it holds.
        if (!UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))) {
            const int error = errno;
            return path.string() + " cannot be read: " + std::strerror(error);
        }
        return std::nullopt;
    }
    if (S_ISREG(info.st_mode)) {
        if (const auto why = whyUnreadable(path))
            return path.string() + " " + *why;
        return std::nullopt;
    }
    // Anything else (a named pipe, a socket, a device) would only be waited on or read without end.
    return path.string() + " is not a picture (" + whatItIs(info) + ")";
}

PictureFrameSource::PictureFrameSource(std::vector<Picture> pictures, TimeInterval interval)
    : m_pictures(std::move(pictures))
    , m_interval(interval > 0 ? interval : DefaultFrameInterval)
{
}

UIImagePtr PictureFrameSource::frameOf(Picture& picture)
{
    if (picture.kept)
        return picture.kept;
    PictureProblem problem;
    auto frame = PictureData::decodeFile(picture.file, problem);
    if (!frame && !picture.passedOver)
        NSLog("camera: %s %s, passed over", picture.file.c_str(), problem.describe().c_str());
    picture.passedOver = !frame;
    return frame;
}

UIImagePtr PictureFrameSource::nextFrame()
{
    std::lock_guard lock(m_mutex);
    // Each picture is tried once at most: when none can be decoded, the frame shows nothing.
    for (std::size_t tried = 0; tried < m_pictures.size(); ++tried) {
        Picture& picture = m_pictures[m_next];
        m_next = (m_next + 1) % m_pictures.size();
        if (auto frame = frameOf(picture))
            return frame;
    }
    return nullptr;
}
