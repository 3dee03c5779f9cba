#pragma once

#include "platform/capture/FrameSource.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Pictures from a file, or from every readable picture of a folder in name order, shown in a
// cycle, one per frame interval. Pictures that cannot be read are left out, each with a log line
// saying why; with none left the camera sees nothing.
class PictureFrameSource final : public FrameSource {
public:
    static std::shared_ptr<PictureFrameSource> fromPath(const std::filesystem::path& path,
                                                        TimeInterval interval = DefaultFrameInterval);
    // Why the file at path can hold no picture read, in words that follow its path ("cannot be read:
    // Permission denied", "is too large to be a picture (...)"), found without reading it; nothing
    // when it may be read (whether it holds a picture is for the decoders to say).
    static std::optional<std::string> whyUnreadable(const std::filesystem::path& file);
    UIImagePtr nextFrame() override;
    TimeInterval frameInterval() const override { return m_interval; }
    std::size_t pictureCount() const { return m_pictures.size(); }

private:
    PictureFrameSource(std::vector<UIImagePtr> pictures, TimeInterval interval);
    std::vector<UIImagePtr> m_pictures;
    TimeInterval m_interval;
    std::atomic<std::size_t> m_next {0};
};
