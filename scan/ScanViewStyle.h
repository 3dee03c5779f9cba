#pragma once

#include "platform/graphics/UIColor.h"
#include "platform/graphics/UIImage.h"

#include <cstdint>
#include <memory>

// The look and geometry of the scan overlay; the presenting screen fills it in.
class ScanViewStyle {
public:
    static std::shared_ptr<ScanViewStyle> create() { return std::make_shared<ScanViewStyle>(); }

    bool isNeedShowRetangle = true;
    double whRatio = 1.0;
    double centerUpOffset = 44;
    // Only the integer part counts.
    double xScanRetangleOffset = 60;
    UIColorPtr colorRetangleLine = UIColor::whiteColor();
    // 0 inside the frame line, 1 outside it, 2 centred on it.
    std::int32_t photoframeAngleStyle = 1;
    UIColorPtr colorAngle = UIColor::colorWithRed(0, 167 / 255.0, 231 / 255.0, 1);
    double photoframeAngleW = 24;
    double photoframeAngleH = 24;
    double photoframeLineW = 7;
    // 0 sweeping line, 1 grid, 2 still line, anything else none.
    std::int32_t anmiationStyle = 0;
    UIImagePtr animationImage;
    double red_notRecoginitonArea = 0;
    double green_notRecoginitonArea = 0;
    double blue_notRecoginitonArea = 0;
    double alpa_notRecoginitonArea = 0.5;
};

using ScanViewStylePtr = std::shared_ptr<ScanViewStyle>;
