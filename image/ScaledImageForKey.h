#pragma once

#include "platform/graphics/UIImage.h"

#include <string>

// The picture with the scale its cache key asks for: 3 for a key with "@3x.", else 2 for one
// with "@2x." (keys of at least 8 characters), else the main screen's; orientation kept.
// An animated picture has every frame so scaled.
UIImagePtr ScaledImageForKey(const std::string& key, const UIImagePtr& image);
