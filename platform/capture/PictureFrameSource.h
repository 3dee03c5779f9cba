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
// frame interval. Every file is read at the start and its header checked; an entry that holds no
// picture the decoders take (a subfolder, a named pipe or a device among them, never waited on or
// read) is left out, with a log line saying why, and with none left the camera sees nothing.
// Pictures are decoded at the start and kept while together they fit the budget; the rest are
// decoded when their frame comes and let go with it, so a folder of many large pictures costs the
// budget and the picture shown. One that cannot be decoded at its turn (changed or gone meanwhile,
// or no memory) is passed over with a log line, and the next is shown.
// nextFrame() is called on the capture thread, pictureCount() from any.
class PictureFrameSource final : public FrameSource {
public:
    // The largest picture the decoders make, with what a frame holds beside its pixels: a folder of
    // small pictures is decoded once.
    static constexpr std::size_t DefaultBudget
        = static_cast<std::size_t>(PixelLimits::MaxPixels) * 4 + PixelLimits::FrameOverheadBytes;

    static std::shared_ptr<PictureFrameSource> fromPath(const std::filesystem::path& path,
                                                        TimeInterval interval = DefaultFrameInterval,
                                                        std::size_t budget = DefaultBudget);
    // What a folder at a path is to the camera: the folder of pictures it was given, listed, or an
    // entry of that folder, which is never descended into.
    enum class FolderThere { Listed, NotAPicture };
    // Why no picture can be at path, said whole with the path in it ("nothing is at P", "P is a link
    // to something missing", "P cannot be reached: Not a directory", "P cannot be read: Permission
    // denied", "P is too large to be a picture (...)", "P is not a picture (it is a named pipe)"),
    // found without reading what is there or waiting on it. Nothing when a file or a listed folder
    // that may be read is there: whether it shows a picture is for the decoders to say.
    static std::optional<std::string> whyNoPictureAt(const std::filesystem::path& path, FolderThere folder);
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
