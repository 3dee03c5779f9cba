#pragma once

#include "platform/graphics/UIImage.h"

// The picture as a plain bitmap ready to draw. Pictures with alpha and animated pictures come
// back as they are; the others keep their pixels, scale and orientation. Never nothing for a
// picture: our decoders already hand over decoded pixels in one layout every context takes.
UIImagePtr decodedImageWithImage(const UIImagePtr& image);
