#pragma once

// Horizontal placement of text within its rectangle.
enum class NSTextAlignment : int { Left = 0, Center = 1, Right = 2, Justified = 3, Natural = 4 };

// What happens to text that does not fit: the first two wrap it onto further lines, the others
// wrap by words and cut or shorten the last line that fits.
enum class NSLineBreakMode : int {
    ByWordWrapping = 0,
    ByCharWrapping = 1,
    ByClipping = 2,
    ByTruncatingHead = 3,
    ByTruncatingTail = 4,
    ByTruncatingMiddle = 5,
};
