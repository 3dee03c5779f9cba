#include "platform/graphics/CGGeometry.h"

#include <algorithm>
#include <limits>

CGRect CGRectNull()
{
    const CGFloat inf = std::numeric_limits<CGFloat>::infinity();
    return {{inf, inf}, {0, 0}};
}

bool CGRectIsNull(const CGRect& rect)
{
    return std::isinf(rect.origin.x) || std::isinf(rect.origin.y);
}

bool CGRectIsEmpty(const CGRect& rect)
{
    return CGRectIsNull(rect) || rect.size.width == 0 || rect.size.height == 0 || std::isnan(rect.size.width)
        || std::isnan(rect.size.height);
}

CGRect CGRectStandardize(const CGRect& rect)
{
    CGRect r = rect;
    if (r.size.width < 0) {
        r.origin.x += r.size.width;
        r.size.width = -r.size.width;
    }
    if (r.size.height < 0) {
        r.origin.y += r.size.height;
        r.size.height = -r.size.height;
    }
    return r;
}

CGFloat CGRectGetMinX(const CGRect& rect) { return CGRectStandardize(rect).origin.x; }
CGFloat CGRectGetMaxX(const CGRect& rect)
{
    const CGRect r = CGRectStandardize(rect);
    return r.origin.x + r.size.width;
}
CGFloat CGRectGetMidX(const CGRect& rect)
{
    const CGRect r = CGRectStandardize(rect);
    return r.origin.x + r.size.width / 2;
}
CGFloat CGRectGetMinY(const CGRect& rect) { return CGRectStandardize(rect).origin.y; }
CGFloat CGRectGetMaxY(const CGRect& rect)
{
    const CGRect r = CGRectStandardize(rect);
    return r.origin.y + r.size.height;
}
CGFloat CGRectGetMidY(const CGRect& rect)
{
    const CGRect r = CGRectStandardize(rect);
    return r.origin.y + r.size.height / 2;
}
CGFloat CGRectGetWidth(const CGRect& rect) { return std::fabs(rect.size.width); }
CGFloat CGRectGetHeight(const CGRect& rect) { return std::fabs(rect.size.height); }

CGRect CGRectOffset(const CGRect& rect, CGFloat dx, CGFloat dy)
{
    if (CGRectIsNull(rect))
        return rect;
    CGRect r = CGRectStandardize(rect);
    r.origin.x += dx;
    r.origin.y += dy;
    return r;
}

CGRect CGRectInset(const CGRect& rect, CGFloat dx, CGFloat dy)
{
    if (CGRectIsNull(rect))
        return rect;
    CGRect r = CGRectStandardize(rect);
    r.origin.x += dx;
    r.origin.y += dy;
    r.size.width -= 2 * dx;
    r.size.height -= 2 * dy;
    if (r.size.width < 0 || r.size.height < 0)
        return CGRectNull();
    return r;
}

CGRect CGRectIntegral(const CGRect& rect)
{
    if (CGRectIsNull(rect))
        return rect;
    const CGRect r = CGRectStandardize(rect);
    const CGFloat minX = std::floor(r.origin.x), minY = std::floor(r.origin.y);
    const CGFloat maxX = std::ceil(r.origin.x + r.size.width), maxY = std::ceil(r.origin.y + r.size.height);
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect CGRectUnion(const CGRect& a, const CGRect& b)
{
    if (CGRectIsNull(a))
        return CGRectStandardize(b);
    if (CGRectIsNull(b))
        return CGRectStandardize(a);
    const CGFloat minX = std::min(CGRectGetMinX(a), CGRectGetMinX(b));
    const CGFloat minY = std::min(CGRectGetMinY(a), CGRectGetMinY(b));
    const CGFloat maxX = std::max(CGRectGetMaxX(a), CGRectGetMaxX(b));
    const CGFloat maxY = std::max(CGRectGetMaxY(a), CGRectGetMaxY(b));
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect CGRectIntersection(const CGRect& a, const CGRect& b)
{
    if (CGRectIsNull(a) || CGRectIsNull(b))
        return CGRectNull();
    const CGFloat minX = std::max(CGRectGetMinX(a), CGRectGetMinX(b));
    const CGFloat minY = std::max(CGRectGetMinY(a), CGRectGetMinY(b));
    const CGFloat maxX = std::min(CGRectGetMaxX(a), CGRectGetMaxX(b));
    const CGFloat maxY = std::min(CGRectGetMaxY(a), CGRectGetMaxY(b));
    if (maxX < minX || maxY < minY)
        return CGRectNull();
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

bool CGRectIntersectsRect(const CGRect& a, const CGRect& b)
{
    const CGRect r = CGRectIntersection(a, b);
    return !CGRectIsNull(r) && r.size.width > 0 && r.size.height > 0;
}

bool CGRectContainsPoint(const CGRect& rect, const CGPoint& point)
{
    if (CGRectIsNull(rect))
        return false;
    return point.x >= CGRectGetMinX(rect) && point.x < CGRectGetMaxX(rect) && point.y >= CGRectGetMinY(rect)
        && point.y < CGRectGetMaxY(rect);
}

bool CGRectContainsRect(const CGRect& outer, const CGRect& inner)
{
    if (CGRectIsNull(outer) || CGRectIsNull(inner))
        return false;
    return CGRectGetMinX(inner) >= CGRectGetMinX(outer) && CGRectGetMinY(inner) >= CGRectGetMinY(outer)
        && CGRectGetMaxX(inner) <= CGRectGetMaxX(outer) && CGRectGetMaxY(inner) <= CGRectGetMaxY(outer);
}

bool CGRectEqualToRect(const CGRect& a, const CGRect& b)
{
    if (CGRectIsNull(a) || CGRectIsNull(b))
        return CGRectIsNull(a) && CGRectIsNull(b);
    return CGRectStandardize(a) == CGRectStandardize(b);
}

bool CGSizeEqualToSize(const CGSize& a, const CGSize& b) { return a == b; }
bool CGPointEqualToPoint(const CGPoint& a, const CGPoint& b) { return a == b; }
