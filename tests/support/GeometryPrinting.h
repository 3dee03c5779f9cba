#pragma once

#include "platform/graphics/CGGeometry.h"

#include <ostream>

// Readable failure messages for geometry values.
inline void PrintTo(const CGPoint& p, std::ostream* out) { *out << "(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(const CGSize& s, std::ostream* out) { *out << s.width << " x " << s.height; }
inline void PrintTo(const CGRect& r, std::ostream* out)
{
    *out << "(" << r.origin.x << ", " << r.origin.y << ", " << r.size.width << " x " << r.size.height << ")";
}
