#include "kit/grid/GridLayoutMath.h"

#include <algorithm>
#include <cmath>

namespace GridLayoutMath {

std::int64_t clampToIndex(double value)
{
    if (std::isnan(value))
        return 0;
    const double limit = static_cast<double>(kIndexLimit);
    return static_cast<std::int64_t>(std::clamp(value, -limit, limit));
}

std::int64_t itemsThatFit(CGFloat usable, CGFloat extent, CGFloat spacing)
{
    const CGFloat step = extent + spacing;
    if (!(step > 0) || !std::isfinite(step) || std::isnan(usable))
        return 1;
    const auto fits = [&](std::int64_t k) { return static_cast<CGFloat>(k) * step - spacing <= usable; };
    // The quotient is the answer up to rounding; the two checks settle the last unit either way.
    std::int64_t count = std::max<std::int64_t>(1, clampToIndex(std::floor((usable + spacing) / step)));
    if (count < kIndexLimit && fits(count + 1))
        ++count;
    if (count > 1 && !fits(count))
        --count;
    return count;
}

std::int64_t ceilDivide(std::int64_t count, std::int64_t divisor)
{
    if (count <= 0 || divisor <= 0)
        return 0;
    return count / divisor + (count % divisor != 0 ? 1 : 0);
}

std::int64_t saturatingMultiply(std::int64_t a, std::int64_t b)
{
    if (a <= 0 || b <= 0)
        return 0;
    if (a > kPositionLimit / b)
        return kPositionLimit;
    return std::min(a * b, kPositionLimit);
}

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b)
{
    return std::min(std::max<std::int64_t>(a, 0) + std::max<std::int64_t>(b, 0), kPositionLimit);
}

GridPositionRange rangeFromBounds(std::int64_t start, std::int64_t end)
{
    start = std::max<std::int64_t>(start, 0);
    return {start, std::max<std::int64_t>(0, end - start)};
}

} // namespace GridLayoutMath
