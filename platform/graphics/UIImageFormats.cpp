// The picture formats behind UIImage: bytes and files in through PictureData, PNG and JPEG bytes
// out. Kept apart from UIImage.cpp because the codecs themselves build UIImages; the picture's own
// code stays below them.
#include "platform/graphics/UIImage.h"

#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PictureData.h"
#include "platform/graphics/PngCodec.h"

std::shared_ptr<UIImage> UIImage::imageWithData(std::string_view bytes, double scale)
{
    PictureProblem unsaid;
    return imageWithData(bytes, scale, unsaid);
}

std::shared_ptr<UIImage> UIImage::imageWithData(std::string_view bytes, double scale, PictureProblem& problem)
{
    return PictureData::decode(bytes, scale, problem);
}

std::shared_ptr<UIImage> UIImage::imageWithPartialData(std::string_view bytes)
{
    if (JpegCodec::hasSignature(bytes))
        return JpegCodec::decodePartial(bytes);
    // The other formats are shown once whole.
    return imageWithData(bytes, 1);
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(const std::filesystem::path& path)
{
    PictureProblem unsaid;
    return PictureData::decodeFile(path, unsaid);
}

std::optional<std::string> UIImage::pngData() const
{
    return PngCodec::encode(m_surface.get());
}

std::optional<std::string> UIImage::jpegData(double quality) const
{
    return JpegCodec::encode(*this, quality);
}
