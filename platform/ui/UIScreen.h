#pragma once

#include "platform/graphics/CGGeometry.h"

// The tablet's screen: 1024 × 768 points, laid out in the interface's orientation, at a scale of
// 2 pixels per point unless told otherwise.
class UIScreen {
public:
    static UIScreen& mainScreen();
    UIScreen(const UIScreen&) = delete;
    UIScreen& operator=(const UIScreen&) = delete;

    CGRect bounds() const;
    double scale() const;
    // Another density (1 for the older tablets); values outside 1 to 32 are ignored.
    void setScale(double scale);

private:
    UIScreen() = default;
};
