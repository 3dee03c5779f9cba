#pragma once

#include "platform/graphics/PictureHeader.h"
#include "platform/graphics/UIImage.h"

#include <optional>
#include <string_view>

class PictureProblem;

// GIF through giflib. Every frame is composited on a canvas of the logical screen's size with
// its disposal and transparency; a picture of more than one frame is animated, each frame
// lasting its delay (a delay under 0.011 s counts as 0.1 s, as browsers have it).
// Sizes are checked before anything is allocated: the screen, each frame, and all frames
// together (FrameBudget).
namespace GifCodec {
inline constexpr double DefaultFrameDuration = 0.1;
// Pixels of all frames together, counted twice over: as kept (each frame a picture of the
// screen's size, with its fixed cost) and as decoded (the area each frame declares, on the screen
// or not). An animation beyond it either way is refused.
inline constexpr std::int64_t FrameBudget = 48LL * 1024 * 1024;
bool hasSignature(std::string_view bytes);
// The logical screen's size and the count of frames, within the limits above; nothing, with why,
// otherwise.
std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem);
UIImagePtr decode(std::string_view bytes, double scale);
// Null, with why (giflib's own words for damaged data), when no picture could be made.
UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem);
} // namespace GifCodec
