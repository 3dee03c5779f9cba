#include "platform/capture/PictureFrameSource.h"

#include "platform/foundation/Log.h"

#include <algorithm>

namespace fs = std::filesystem;

std::shared_ptr<PictureFrameSource> PictureFrameSource::fromPath(const fs::path& path, TimeInterval interval)
{
    std::vector<fs::path> files;
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        for (const auto& entry : fs::directory_iterator(path, ec)) {
            if (entry.is_regular_file(ec))
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
            NSLog("camera: %s is not a picture, left out", file.c_str());
    }
    return std::shared_ptr<PictureFrameSource>(new PictureFrameSource(std::move(pictures), interval));
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
