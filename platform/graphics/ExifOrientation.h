#pragma once

#include <string_view>

// The orientation recorded by a camera in a JPEG's EXIF block (APP1), as its EXIF value 1 to 8.
// Reads only within the bytes given; anything missing or malformed reads as 1 (upright).
namespace ExifOrientation {
int readFromJpeg(std::string_view jpeg);
// The orientation entry of a TIFF structure (the body of an EXIF block after "Exif\0\0").
int readFromTiff(std::string_view tiff);
} // namespace ExifOrientation
