#pragma once

#include "platform/graphics/PictureHeader.h"
#include "platform/graphics/UIImage.h"

#include <cstddef>
#include <optional>
#include <string_view>

class PictureProblem;

// GIF through giflib. Every frame is composited on a canvas of the logical screen's size with
// its disposal and transparency; a picture of more than one frame is animated, each frame
// lasting its delay (a delay under 0.011 s counts as 0.1 s, as browsers have it).
// Sizes are checked before anything is allocated or decoded: the screen, each frame, all frames
// together (FrameBudget), each frame's data and the extensions.
namespace GifCodec {
inline constexpr double DefaultFrameDuration = 0.1;
// Pixels of all frames together, counted twice over: as kept (each frame a picture of the
// screen's size, with its fixed cost) and as decoded (the area each frame declares, on the screen
// or not). An animation beyond it either way is refused.
inline constexpr std::int64_t FrameBudget = 48LL * 1024 * 1024;
// The most a frame's data may take, as stored (its blocks' length bytes included): two codes a
// pixel at the widest, 12 bits, and FrameDataAllowance. An encoder writes about one code a pixel,
// and a clear code every few codes at most, which keeps its codes short; beyond this a frame's data
// could only cost work its pixels never needed, and the picture is refused before it is decoded.
inline constexpr std::size_t FrameDataAllowance = 64;
inline constexpr std::size_t frameDataBound(int width, int height)
{
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3 + FrameDataAllowance;
}
// What a GIF's extensions (comments, application data, each frame's control) may take together,
// as stored: what the file limit allows beside the pixels for what a camera or an editor keeps.
inline constexpr std::size_t ExtensionBudget = 16 * 1024 * 1024;
bool hasSignature(std::string_view bytes);
// The logical screen's size and the count of frames, within the limits above; nothing, with why,
// otherwise.
std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem);
UIImagePtr decode(std::string_view bytes, double scale);
// Null, with why (giflib's own words for damaged data), when no picture could be made.
UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem);
} // namespace GifCodec
