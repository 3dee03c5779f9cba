#pragma once

#include "platform/capture/FrameSource.h"
#include "platform/graphics/PixelLimits.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Pictures from a file, or from every picture of a folder in name order, shown in a cycle, one per
// frame interval. Every file is read at the start and its header checked; one that holds no
// picture the decoders take is left out, with a log line saying why, and with none left the camera
// sees nothing. Pictures are decoded at the start and kept while together they fit the budget; the
// rest are decoded when their frame comes and let go with it, so a folder of many large pictures
// costs the budget and the picture shown. One that cannot be decoded at its turn (changed or gone
// meanwhile, or no memory) is passed over with a log line, and the next is shown.
// nextFrame() is called on the capture thread, pictureCount() from any.
class PictureFrameSource final : public FrameSource {
public:
    // The largest picture the decoders make: a folder of small pictures is decoded once.
    static constexpr std::size_t DefaultBudget = static_cast<std::size_t>(PixelLimits::MaxPixels) * 4;

    static std::shared_ptr<PictureFrameSource> fromPath(const std::filesystem::path& path,
                                                        TimeInterval interval = DefaultFrameInterval,
                                                        std::size_t budget = DefaultBudget);
    // Why the file at path can hold no picture read, in words that follow its path ("cannot be read:
    // Permission denied", "is too large to be a picture (...)"), found without reading it; nothing
    // when it may be read (whether it holds a picture is for the decoders to say).
    static std::optional<std::string> whyUnreadable(const std::filesystem::path& file);
    // The next picture of the cycle; null when none of them could be decoded (each tried once).
    UIImagePtr nextFrame() override;
    TimeInterval frameInterval() const override { return m_interval; }
    std::size_t pictureCount() const { return m_pictures.size(); }

private:
    struct Picture {
        std::filesystem::path file;
        UIImagePtr kept; // null: decoded when its frame comes
        bool passedOver = false; // said so, and not said again until it has been shown
    };
    PictureFrameSource(std::vector<Picture> pictures, TimeInterval interval);
    UIImagePtr frameOf(Picture& picture);

    std::vector<Picture> m_pictures; // as many from the start to the end
    TimeInterval m_interval;
    std::mutex m_mutex; // the cycle and passedOver: one picture decoded at a time
    std::size_t m_next = 0;
};
