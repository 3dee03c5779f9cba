#pragma once

#include "platform/graphics/UIColor.h"

#include <string_view>

// Colours from six hexadecimal digits, as the screens write them ("CC3333").
struct UIColorQN {
    // Red, green and blue from the character pairs at 0-1, 2-3 and 4-5, each read as a hexadecimal
    // number after any leading white space, up to its first character that is not a hexadecimal
    // digit; the result is opaque. Nothing is trimmed first and later characters are ignored.
    // A pair that is missing (the text is shorter) or starts without a digit counts 0.
    static UIColorPtr getColor(std::string_view text);
};
