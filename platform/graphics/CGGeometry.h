#pragma once

#include <cmath>

// Points, sizes and rectangles in points, origin top left, y growing downwards.
using CGFloat = double;

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;
    bool operator==(const CGPoint&) const = default;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;
    bool operator==(const CGSize&) const = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;
};

inline constexpr CGPoint CGPointZero {};
inline constexpr CGSize CGSizeZero {};
inline constexpr CGRect CGRectZero {};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return {x, y}; }
inline CGSize CGSizeMake(CGFloat width, CGFloat height) { return {width, height}; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) { return {{x, y}, {width, height}}; }

// The null rectangle: what an intersection of disjoint rectangles gives.
CGRect CGRectNull();
bool CGRectIsNull(const CGRect& rect);
bool CGRectIsEmpty(const CGRect& rect);

// A rectangle with a negative width or height describes the same area as its standardised form;
// every function below works on that form, as the platform's do.
CGRect CGRectStandardize(const CGRect& rect);

CGFloat CGRectGetMinX(const CGRect& rect);
CGFloat CGRectGetMidX(const CGRect& rect);
CGFloat CGRectGetMaxX(const CGRect& rect);
CGFloat CGRectGetMinY(const CGRect& rect);
CGFloat CGRectGetMidY(const CGRect& rect);
CGFloat CGRectGetMaxY(const CGRect& rect);
CGFloat CGRectGetWidth(const CGRect& rect);
CGFloat CGRectGetHeight(const CGRect& rect);

CGRect CGRectOffset(const CGRect& rect, CGFloat dx, CGFloat dy);
CGRect CGRectInset(const CGRect& rect, CGFloat dx, CGFloat dy);
CGRect CGRectIntegral(const CGRect& rect);
CGRect CGRectUnion(const CGRect& a, const CGRect& b);
CGRect CGRectIntersection(const CGRect& a, const CGRect& b);
bool CGRectIntersectsRect(const CGRect& a, const CGRect& b);
// Half-open: the minimum edges belong to the rectangle, the maximum edges do not.
bool CGRectContainsPoint(const CGRect& rect, const CGPoint& point);
bool CGRectContainsRect(const CGRect& outer, const CGRect& inner);
bool CGRectEqualToRect(const CGRect& a, const CGRect& b);
bool CGSizeEqualToSize(const CGSize& a, const CGSize& b);
bool CGPointEqualToPoint(const CGPoint& a, const CGPoint& b);
