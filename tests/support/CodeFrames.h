#pragma once

#include "platform/graphics/CGContext.h"
#include "platform/graphics/UIImage.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>
#include <ZXing/MultiFormatWriter.h>

#include <cmath>
#include <string>
#include <vector>

// Camera frames for tests: codes drawn by the library's writer onto a light (or transparent)
// picture, each at its spot, optionally turned a few degrees as a hand-held camera sees them.
struct CodeInFrame {
    std::string text;
    ZXing::BarcodeFormat format = ZXing::BarcodeFormat::QRCode;
    CGPoint origin;
    double module = 6; // pixels per module
    double degrees = 0;
};

inline UIImagePtr codeFrame(CGSize size, const std::vector<CodeInFrame>& codes, bool transparent = false)
{
    auto context = CGContext::createBitmap(size, 1);
    if (!transparent) {
        context->setFillColor(UIColor::colorWithWhite(0.93, 1));
        context->fillRect(CGRectMake(0, 0, size.width, size.height));
    }
    context->setFillColor(UIColor::colorWithWhite(0.08, 1));
    for (const auto& code : codes) {
        const auto matrix = ZXing::MultiFormatWriter(code.format).setMargin(0).setEncoding(ZXing::CharacterSet::UTF8).encode(code.text, 0, 0);
        const double w = matrix.width() * code.module, h = matrix.height() * code.module;
        context->saveGState();
        context->translateCTM(code.origin.x + w / 2, code.origin.y + h / 2);
        context->rotateCTM(code.degrees * M_PI / 180);
        for (int y = 0; y < matrix.height(); ++y) {
            for (int x = 0; x < matrix.width(); ++x) {
                if (matrix.get(x, y))
                    context->fillRect(CGRectMake(x * code.module - w / 2, y * code.module - h / 2, code.module,
                                                 code.module));
            }
        }
        context->restoreGState();
    }
    return context->makeImage();
}

// The frame as a camera still focusing sees it: drawn at a small fraction of its size and stretched
// back (bilinear, the context's filter when enlarging), so that its codes are a blur no reader reads.
inline UIImagePtr outOfFocus(const UIImage& frame, double fraction = 1.0 / 8)
{
    const CGSize size = frame.size();
    auto small = CGContext::createBitmap({size.width * fraction, size.height * fraction}, frame.scale());
    small->drawImageUpright(CGRectMake(0, 0, size.width * fraction, size.height * fraction), frame);
    auto shown = CGContext::createBitmap(size, frame.scale());
    shown->drawImageUpright(CGRectMake(0, 0, size.width, size.height), *small->makeImage());
    return shown->makeImage();
}
