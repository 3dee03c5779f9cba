#pragma once

#include "platform/foundation/Paths.h"
#include "platform/graphics/JpegCodec.h"
#include "platform/graphics/UIImage.h"
#include "tests/support/HostilePictures.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <string>

// The bytes of one of the small pictures kept with the tests, empty if it is missing.
inline std::string testPicture(const std::string& name)
{
    return readFile(std::string(FLOORPAD_TEST_PICTURES) + "/" + name).value_or("");
}

// A test name from a picture's file or a table row's name: letters and digits kept, anything
// else an underscore.
inline std::string rowName(std::string name)
{
    std::replace_if(name.begin(), name.end(), [](unsigned char ch) { return !std::isalnum(ch); }, '_');
    return name;
}

// A JPEG of w × h whose top half is red and bottom half blue.
inline std::string halvesJpeg(int w, int h, bool progressive = false)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_rectangle(cr, 0, h / 2.0, w, h / 2.0);
    cairo_fill(cr);
    cairo_destroy(cr);
    return *JpegCodec::encode(*UIImage::imageWithSurface(surface, 1), 0.9, progressive);
}

// A PNG of w × h in one opaque colour (0xRRGGBB).
inline std::string solidPng(int w, int h, std::uint32_t rgb)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, (rgb >> 16 & 0xFF) / 255.0, (rgb >> 8 & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return UIImage::imageWithSurface(surface, 1)->pngData().value_or("");
}

// The PNG with the size in its header (IHDR) set to w × h, and the header's checksum made right
// again, so that only the size is wrong.
inline std::string pngSized(std::string png, std::uint32_t w, std::uint32_t h)
{
    using namespace HostilePictures;
    return png.replace(8, 25, pngChunk("IHDR", bigEndian(w) + bigEndian(h) + png.substr(24, 5)));
}
