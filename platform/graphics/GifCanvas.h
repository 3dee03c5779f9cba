#pragma once

#include "platform/graphics/UIImage.h"

#include <cairo.h>
#include <gif_lib.h>

#include <cstdint>
#include <vector>

// The screen a GIF's frames are drawn on in turn: opaque or transparent ARGB on an image surface
// of its own. A frame's rows are drawn as they are read, and its picture is a copy of the canvas
// while frames are to come, the canvas itself for the last: a still GIF costs one picture and a
// row, and an animation its pictures and the canvas.
class GifCanvas {
public:
    struct Rect {
        int left, top, width, height;
    };

    GifCanvas(int width, int height);
    ~GifCanvas();
    GifCanvas(const GifCanvas&) = delete;
    GifCanvas& operator=(const GifCanvas&) = delete;

    // False when there was no memory for it, and once the last frame's picture has taken it.
    bool usable() const { return m_surface != nullptr; }
    // The part of a frame that lies on the canvas; frames may claim to reach beyond it.
    Rect clip(const Rect& frame) const;
    // One row of a frame's colour indexes, from the frame's left edge, at the frame's row y: what
    // falls in area is drawn, but for the transparent index and those past the colour map.
    void drawRow(int y, const Rect& frame, const Rect& area, const GifByteType* indexes, const ColorMapObject& map,
                 int transparent);
    void clear(const Rect& area);
    std::vector<std::uint32_t> save(const Rect& area) const;
    void restore(const Rect& area, const std::vector<std::uint32_t>& saved);
    // The canvas as it is now, as a picture: a copy, or for the last frame the canvas itself. Null
    // when there is no memory for the copy.
    UIImagePtr picture(double scale, bool last);

private:
    std::uint32_t* row(int y) const;

    int m_width, m_height;
    cairo_surface_t* m_surface;
};
