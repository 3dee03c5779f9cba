#pragma once

#include "platform/graphics/UIImage.h"

#include <string>
#include <string_view>

// A GIF of several frames as an animated picture at the main screen's scale (frames composited,
// each lasting its delay); a GIF of one frame as a still picture.
UIImagePtr img_animatedGIFWithData(std::string_view data);
// The bundled "<name>@2x.gif" (on a screen of scale above 1) or "<name>.gif", else imageNamed.
UIImagePtr img_animatedGIFNamed(const std::string& name);
// Aspect-fill into size (points), centred, every frame drawn on a cleared canvas.
UIImagePtr img_animatedImageByScalingAndCroppingToSize(const UIImagePtr& image, CGSize size);
