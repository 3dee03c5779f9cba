#include "image/NSDataImageContentType.h"

std::optional<std::string> img_contentTypeForImageData(std::string_view data)
{
    if (data.empty())
        return std::nullopt;
    switch (static_cast<unsigned char>(data[0])) {
    case 0xFF: return "image/jpeg";
    case 0x89: return "image/png";
    case 0x47: return "image/gif";
    case 0x49:
    case 0x4D: return "image/tiff";
    case 0x52:
        if (data.size() >= 12 && data.substr(0, 4) == "RIFF" && data.substr(8, 4) == "WEBP")
            return "image/webp";
        return std::nullopt;
    default: return std::nullopt;
    }
}

std::optional<std::string> contentTypeForImageData(std::string_view data)
{
    return img_contentTypeForImageData(data);
}
