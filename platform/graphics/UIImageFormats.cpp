// The picture formats behind UIImage: which codec reads a run of bytes, and JPEG bytes out. Kept
// apart from UIImage.cpp because the codecs themselves build UIImages; the picture's own code
// stays below them.
#include "platform/graphics/UIImage.h"

#include "platform/foundation/Paths.h"
#include "platform/graphics/GifCodec.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/PixelLimits.h"
#include "platform/graphics/PngCodec.h"
#include "platform/graphics/WebpCodec.h"

std::shared_ptr<UIImage> UIImage::imageWithData(std::string_view bytes, double scale)
{
    if (JpegCodec::hasSignature(bytes))
        return JpegCodec::decode(bytes, scale);
    if (PngCodec::hasSignature(bytes))
        return PngCodec::decode(bytes, scale);
    if (GifCodec::hasSignature(bytes))
        return GifCodec::decode(bytes, scale);
    if (WebpCodec::hasSignature(bytes))
        return WebpCodec::decode(bytes, scale);
    return nullptr;
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
    const auto bytes = readFile(path, PixelLimits::MaxFileBytes);
    if (!bytes)
        return nullptr;
    // A picture file named "x@2x.png" holds twice the pixels per point.
    const double scale = path.stem().string().ends_with("@2x") ? 2.0 : 1.0;
    return imageWithData(*bytes, scale);
}

std::optional<std::string> UIImage::pngData() const
{
    return PngCodec::encode(m_surface.get());
}

std::optional<std::string> UIImage::jpegData(double quality) const
{
    return JpegCodec::encode(*this, quality);
}
