#pragma once

#include "platform/capture/AVMetadataObject.h"

#include <ZXing/BarcodeFormat.h>

#include <optional>
#include <vector>

// How the platform's code types meet the reader's formats. Some types share a format (Code 39
// with and without its check digit, the two interleaved 2 of 5 types), and an EAN-13 reader
// also reads UPC-A, reported as EAN-13 with a leading zero, as the platform does.
namespace MetadataCodeTypes {
// Every type the metadata output can recognise.
const std::vector<AVMetadataObjectType>& all();
ZXing::BarcodeFormats formatsFor(const std::vector<AVMetadataObjectType>& types);

struct Reading {
    AVMetadataObjectType type;
    std::string text;
};
// The type (among those asked for) under which a code read in a format is reported, with its
// text as reported; nothing when none of the asked types covers it.
std::optional<Reading> readingFor(ZXing::BarcodeFormat format, const std::string& text,
                                  const std::vector<AVMetadataObjectType>& asked);
} // namespace MetadataCodeTypes
