#include "platform/graphics/MainScreenScale.h"

#include <atomic>
#include <cmath>

namespace {
std::atomic<double> g_scale {2.0};
}

double MainScreenScale::get() { return g_scale.load(); }

void MainScreenScale::set(double scale)
{
    if (std::isfinite(scale) && scale >= 1 && scale <= 32)
        g_scale.store(scale);
}
