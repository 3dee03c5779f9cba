#include "platform/capture/PictureFrameSource.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/UniqueFd.h"
#include "platform/graphics/PictureData.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
std::vector<fs::path> picturesAt(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_directory(path, ec))
        return {path};
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(path, ec)) {
        // An entry that cannot even be looked at (a loop of links, or one in a folder that may
        // be listed but not entered) is tried all the same, to say why it is left out; one gone
        // meanwhile, or a link to nothing, is no picture of the folder's.
        std::error_code unknown;
        if (entry.is_regular_file(unknown) || (unknown && unknown != std::errc::no_such_file_or_directory))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
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
    room -= std::min(room, picture->pixelBytes());
    return picture;
}
} // namespace

std::shared_ptr<PictureFrameSource> PictureFrameSource::fromPath(const fs::path& path, TimeInterval interval,
                                                                 std::size_t budget)
{
    std::vector<Picture> pictures;
    std::size_t room = budget;
    for (auto& file : picturesAt(path)) {
        PictureProblem problem;
        if (auto picture = admit(file, room, problem))
            pictures.push_back({std::move(file), std::move(*picture)});
        else
            NSLog("camera: %s %s, left out", file.c_str(), problem.describe().c_str());
    }
    return std::shared_ptr<PictureFrameSource>(new PictureFrameSource(std::move(pictures), interval));
}

std::optional<std::string> PictureFrameSource::whyUnreadable(const fs::path& file)
{
    // Opened without waiting, as the picture is read: a named pipe there is not waited on.
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
