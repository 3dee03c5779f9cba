#include "platform/capture/PictureFrameSource.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/UniqueFd.h"
#include "platform/graphics/PixelLimits.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

std::shared_ptr<PictureFrameSource> PictureFrameSource::fromPath(const fs::path& path, TimeInterval interval)
{
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        for (const auto& entry : fs::directory_iterator(path, ec)) {
            // An entry that cannot even be looked at (a loop of links, or one in a folder that may
            // be listed but not entered) is tried all the same, to say why it is left out; one gone
            // meanwhile, or a link to nothing, is no picture of the folder's.
            std::error_code unknown;
            if (entry.is_regular_file(unknown) || (unknown && unknown != std::errc::no_such_file_or_directory))
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
    } else {
        files.push_back(path);
    }
    std::vector<UIImagePtr> pictures;
    for (const auto& file : files) {
        if (auto picture = UIImage::imageWithContentsOfFile(file))
            pictures.push_back(std::move(picture));
        else
            NSLog("camera: %s %s, left out", file.c_str(), whyUnreadable(file).value_or("is not a picture").c_str());
    }
    return std::shared_ptr<PictureFrameSource>(new PictureFrameSource(std::move(pictures), interval));
}

std::optional<std::string> PictureFrameSource::whyUnreadable(const fs::path& file)
{
    // Opened without waiting, as the picture is read: a named pipe there is not waited on.
    const UniqueFd opened(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!opened || ::fstat(opened.get(), &info) != 0) {
        const int error = errno;
        return std::string("cannot be read: ") + std::strerror(error);
    }
    if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > PixelLimits::MaxFileBytes) {
        return "is too large to be a picture (" + std::to_string(info.st_size) + " bytes; no picture read is over "
            + std::to_string(PixelLimits::MaxFileBytes) + " bytes)";
    }
    return std::nullopt;
}

PictureFrameSource::PictureFrameSource(std::vector<UIImagePtr> pictures, TimeInterval interval)
    : m_pictures(std::move(pictures))
    , m_interval(interval > 0 ? interval : DefaultFrameInterval)
{
}

UIImagePtr PictureFrameSource::nextFrame()
{
    if (m_pictures.empty())
        return nullptr;
    return m_pictures[m_next.fetch_add(1) % m_pictures.size()];
}
