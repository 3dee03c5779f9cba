#pragma once

#include "platform/graphics/CGGeometry.h"
#include "scan/ScanViewStyle.h"

// The scan frame within a view. Degenerate styles and views are clamped rather than followed:
// a ratio of 0 or one that is not finite counts as square, the inset lies between 0 and half
// the view's width, and a view without area gives an empty frame.
struct ScanFrameGeometry {
    double L = 0; // left (and right) inset, whole points
    double T = 0; // top
    double W = 0;
    double H = 0;
    double R = 0; // right edge
    double B = 0; // bottom edge

    static ScanFrameGeometry forView(CGSize viewSize, const ScanViewStyle& style);
    CGRect rect() const { return CGRectMake(L, T, W, H); }
};
