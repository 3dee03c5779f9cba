#pragma once

#include <algorithm>
#include <climits>

// The box around the pixels of a picture that pass a test, and how many there are; an empty box
// (maxX of -1) when none does. For pixel checks of drawing.
struct InkBox {
    int minX = INT_MAX, minY = INT_MAX, maxX = -1, maxY = -1;
    int count = 0;
    int midX() const { return (minX + maxX) / 2; }
};

template <class Picture, class Test>
InkBox inkOf(const Picture& picture, const Test& is)
{
    InkBox box;
    for (int y = 0; y < picture.pixelHeight(); ++y)
        for (int x = 0; x < picture.pixelWidth(); ++x)
            if (is(picture.pixelAt(x, y))) {
                box.minX = std::min(box.minX, x);
                box.maxX = std::max(box.maxX, x);
                box.minY = std::min(box.minY, y);
                box.maxY = std::max(box.maxY, y);
                ++box.count;
            }
    return box;
}
