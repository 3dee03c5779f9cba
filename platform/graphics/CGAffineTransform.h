#pragma once

#include "platform/graphics/CGGeometry.h"

// x' = a·x + c·y + tx, y' = b·x + d·y + ty.
struct CGAffineTransform {
    CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const CGAffineTransform&) const = default;
};

inline constexpr CGAffineTransform CGAffineTransformIdentity {};

CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformMakeRotation(CGFloat radians);
// The transforms below apply their own step first, then t (as the platform's do).
CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformRotate(const CGAffineTransform& t, CGFloat radians);
// t1 first, then t2.
CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1, const CGAffineTransform& t2);
// A singular transform has no inverse and comes back unchanged.
CGAffineTransform CGAffineTransformInvert(const CGAffineTransform& t);
bool CGAffineTransformIsIdentity(const CGAffineTransform& t);
bool CGAffineTransformEqualToTransform(const CGAffineTransform& a, const CGAffineTransform& b);

CGPoint CGPointApplyAffineTransform(const CGPoint& point, const CGAffineTransform& t);
CGSize CGSizeApplyAffineTransform(const CGSize& size, const CGAffineTransform& t);
// The smallest rectangle holding the four transformed corners.
CGRect CGRectApplyAffineTransform(const CGRect& rect, const CGAffineTransform& t);
