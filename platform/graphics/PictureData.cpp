#include "platform/graphics/PictureData.h"

#include "platform/foundation/Paths.h"
#include "platform/graphics/GifCodec.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PixelLimits.h"
#include "platform/graphics/PngCodec.h"
#include "platform/graphics/WebpCodec.h"

#include <cerrno>
#include <new>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
struct Format {
    bool (*hasSignature)(std::string_view bytes);
    std::optional<PictureHeader> (*probe)(std::string_view bytes, PictureProblem& problem);
    UIImagePtr (*decode)(std::string_view bytes, double scale, PictureProblem& problem);
};

using Decode = UIImagePtr (*)(std::string_view, double, PictureProblem&);

const Format Formats[] = {
    {JpegCodec::hasSignature, JpegCodec::probe, Decode(JpegCodec::decode)},
    {PngCodec::hasSignature, PngCodec::probe, Decode(PngCodec::decode)},
    {GifCodec::hasSignature, GifCodec::probe, Decode(GifCodec::decode)},
    {WebpCodec::hasSignature, WebpCodec::probe, Decode(WebpCodec::decode)},
};

const Format* formatOf(std::string_view bytes, PictureProblem& problem)
{
    for (const auto& format : Formats) {
        if (format.hasSignature(bytes))
            return &format;
    }
    problem.notAPicture();
    return nullptr;
}

// What the file at path says it holds when that is already past the limit; nothing when it says
// less (and so held more than it said when read).
std::optional<std::uint64_t> sizeOverLimit(const fs::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && static_cast<std::uint64_t>(info.st_size) > PixelLimits::MaxFileBytes)
        return static_cast<std::uint64_t>(info.st_size);
    return std::nullopt;
}
} // namespace

namespace PictureData {

std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem)
{
    try {
        const Format* format = formatOf(bytes, problem);
        return format ? format->probe(bytes, problem) : std::nullopt;
    } catch (const std::bad_alloc&) {
        problem.noMemory();
        return std::nullopt;
    }
}

UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem)
{
    try {
        const Format* format = formatOf(bytes, problem);
        return format ? format->decode(bytes, scale, problem) : nullptr;
    } catch (const std::bad_alloc&) {
        problem.noMemory();
        return nullptr;
    }
}

std::optional<std::string> read(const fs::path& path, PictureProblem& problem)
{
    errno = 0;
    auto bytes = readFile(path, PixelLimits::MaxFileBytes);
    if (bytes)
        return bytes;
    switch (const int error = errno) {
    case EFBIG:
        problem.tooLarge(sizeOverLimit(path));
        break;
    case ENOMEM:
        problem.noMemory();
        break;
    case EINVAL: // neither a regular file nor a folder
        problem.notAPicture();
        break;
    default:
        problem.unreadable(error);
        break;
    }
    return std::nullopt;
}

UIImagePtr decodeFile(const fs::path& path, PictureProblem& problem)
{
    const auto bytes = read(path, problem);
    return bytes ? decode(*bytes, scaleOf(path), problem) : nullptr;
}

double scaleOf(const fs::path& path)
{
    return path.stem().string().ends_with("@2x") ? 2.0 : 1.0;
}

} // namespace PictureData
