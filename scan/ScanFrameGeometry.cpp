#include "scan/ScanFrameGeometry.h"

#include <algorithm>
#include <cmath>

namespace {
double finiteOr(double v, double fallback)
{
    return std::isfinite(v) ? v : fallback;
}
} // namespace

ScanFrameGeometry ScanFrameGeometry::forView(CGSize viewSize, const ScanViewStyle& style)
{
    ScanFrameGeometry g;
    const double VW = std::max(0.0, finiteOr(viewSize.width, 0));
    const double VH = std::max(0.0, finiteOr(viewSize.height, 0));
    if (VW <= 0 || VH <= 0)
        return g;
    g.L = std::clamp(std::trunc(finiteOr(style.xScanRetangleOffset, 0)), 0.0, std::floor(VW / 2));
    g.W = VW - 2 * g.L;
    const double ratio = style.whRatio;
    if (ratio == 1.0 || !std::isfinite(ratio) || ratio <= 0)
        g.H = g.W;
    else
        g.H = std::min(std::trunc(g.W / ratio), 32767.0);
    g.T = VH / 2 - g.H / 2 - finiteOr(style.centerUpOffset, 0);
    g.B = g.T + g.H;
    g.R = VW - g.L;
    return g;
}
