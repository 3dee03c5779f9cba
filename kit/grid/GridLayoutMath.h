#pragma once

#include "kit/grid/GridPositionRange.h"
#include "platform/graphics/CGGeometry.h"

#include <cstdint>

// The arithmetic the layout strategies share. Every conversion from a coordinate to an index goes
// through here, so that a NaN, an infinity or a coordinate far outside the content never turns
// into an undefined integer conversion.
namespace GridLayoutMath {

// No grid has more rows, columns, pages or items per row than this; indexes beyond it name places
// far outside any content, and keeping them bounded keeps the arithmetic on them defined.
inline constexpr std::int64_t kIndexLimit = std::int64_t {1} << 30;

// The value clamped into [-kIndexLimit, kIndexLimit]; NaN gives 0.
std::int64_t clampToIndex(double value);

// The number of items of the given extent (plus spacing) that fit side by side into usable:
// the largest k with k * (extent + spacing) - spacing <= usable, and never less than 1.
// A step (extent + spacing) of zero or less fits one.
std::int64_t itemsThatFit(CGFloat usable, CGFloat extent, CGFloat spacing);

// ceil(count / divisor); 0 when either is zero or less.
std::int64_t ceilDivide(std::int64_t count, std::int64_t divisor);

// a * b and a + b for a, b >= 0, saturating at kPositionLimit, far beyond any item count.
inline constexpr std::int64_t kPositionLimit = std::int64_t {1} << 62;
std::int64_t saturatingMultiply(std::int64_t a, std::int64_t b);
std::int64_t saturatingAdd(std::int64_t a, std::int64_t b);

// The range [start, end) as a position range; empty when end is not above start.
GridPositionRange rangeFromBounds(std::int64_t start, std::int64_t end);

} // namespace GridLayoutMath
