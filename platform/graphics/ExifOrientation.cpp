#include "platform/graphics/ExifOrientation.h"

#include <cstdint>

namespace {

constexpr int Upright = 1;
constexpr std::uint16_t OrientationTag = 0x0112;
constexpr std::uint16_t ShortType = 3;

struct ByteReader {
    std::string_view bytes;
    bool bigEndian = true;

    bool has(std::size_t offset, std::size_t length) const
    {
        return offset <= bytes.size() && length <= bytes.size() - offset;
    }
    std::uint32_t byte(std::size_t at) const { return static_cast<unsigned char>(bytes[at]); }
    std::uint16_t u16(std::size_t at) const
    {
        return static_cast<std::uint16_t>(bigEndian ? (byte(at) << 8) | byte(at + 1) : (byte(at + 1) << 8) | byte(at));
    }
    std::uint32_t u32(std::size_t at) const
    {
        return bigEndian ? (std::uint32_t(u16(at)) << 16) | u16(at + 2) : (std::uint32_t(u16(at + 2)) << 16) | u16(at);
    }
};

} // namespace

namespace ExifOrientation {

int readFromTiff(std::string_view tiff)
{
    ByteReader r {tiff};
    if (!r.has(0, 8))
        return Upright;
    if (tiff.substr(0, 2) == "II")
        r.bigEndian = false;
    else if (tiff.substr(0, 2) != "MM")
        return Upright;
    if (r.u16(2) != 42)
        return Upright;
    const std::uint32_t ifd = r.u32(4);
    if (!r.has(ifd, 2))
        return Upright;
    const std::uint16_t count = r.u16(ifd);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd + 2 + std::size_t(i) * 12;
        if (!r.has(entry, 12))
            return Upright;
        if (r.u16(entry) != OrientationTag)
            continue;
        if (r.u16(entry + 2) != ShortType || r.u32(entry + 4) < 1)
            return Upright;
        const int value = r.u16(entry + 8);
        return value >= 1 && value <= 8 ? value : Upright;
    }
    return Upright;
}

int readFromJpeg(std::string_view jpeg)
{
    ByteReader r {jpeg};
    if (!r.has(0, 2) || r.byte(0) != 0xFF || r.byte(1) != 0xD8)
        return Upright;
    std::size_t at = 2;
    // The EXIF block comes among the first segments, before the picture data starts.
    while (r.has(at, 4) && r.byte(at) == 0xFF) {
        const std::uint32_t marker = r.byte(at + 1);
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            break;
        const std::size_t length = r.u16(at + 2);
        if (length < 2 || !r.has(at + 2, length))
            break;
        const std::string_view body = jpeg.substr(at + 4, length - 2);
        if (marker == 0xE1 && body.size() >= 6 && body.substr(0, 6) == std::string_view("Exif\0\0", 6))
            return readFromTiff(body.substr(6));
        at += 2 + length;
    }
    return Upright;
}

} // namespace ExifOrientation
