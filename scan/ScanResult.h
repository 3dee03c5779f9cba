#pragma once

#include "platform/graphics/UIImage.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One code read: its text (missing when nothing could be read), the picture of the moment it was
// read, and its type as the capture layer names code types.
class ScanResult {
public:
    ScanResult() = default;
    ScanResult(std::optional<std::string> scanned, UIImagePtr image, std::optional<std::string> barCodeType)
        : strScanned(std::move(scanned))
        , imgScanned(std::move(image))
        , strBarCodeType(std::move(barCodeType))
    {
    }

    std::optional<std::string> strScanned;
    UIImagePtr imgScanned;
    std::optional<std::string> strBarCodeType;
};

using ScanResultPtr = std::shared_ptr<ScanResult>;
using ScanResults = std::vector<ScanResultPtr>;
using ScanResultBlock = std::function<void(const ScanResults&)>;
