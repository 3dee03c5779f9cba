#pragma once

#include "platform/graphics/CGGeometry.h"
#include "platform/graphics/TextAttributes.h"
#include "platform/graphics/UIFont.h"

#include <string>
#include <string_view>
#include <vector>

// The one rule by which all text is measured, so that layout comes out the same on every
// machine whatever fonts it has: a wide (East Asian) character is one em wide, every other
// printing character half an em, control characters nothing; a line is 1.2 em high.
// Every measuring call of the interface goes through here; drawing places glyphs on the same
// grid, so what is measured is where the text lands.
class TextMetric {
public:
    struct Line {
        std::u32string text;
        double width = 0;
    };

    static bool isWide(char32_t c);
    static double advance(char32_t c, double pointSize);
    static double width(std::u32string_view text, double pointSize);

    // The text on one line, unwrapped: the width of all its characters by one line height.
    // Empty text measures (0, 0).
    static CGSize sizeWithFont(std::string_view text, const UIFont& font);

    // The text wrapped into at most the size's width and as many lines as the size's height holds
    // (at least one). Width is that of the widest line, height one line height per line.
    static CGSize sizeWithFont(std::string_view text, const UIFont& font, CGSize constraint, NSLineBreakMode mode);

    // One line no wider than width, shortened by the mode when it does not fit.
    static CGSize sizeWithFont(std::string_view text, const UIFont& font, double width, NSLineBreakMode mode);

    struct ShrunkSize {
        CGSize size;
        double actualFontSize = 0;
    };
    // One line that shrinks its font, no further than minFontSize, until it fits width; below
    // that it is shortened by the mode at the smallest size. actualFontSize is the size used.
    static ShrunkSize sizeWithFont(std::string_view text, const UIFont& font, double minFontSize, double width,
                                   NSLineBreakMode mode);

    // The lines that the constrained measurement and drawing use. maxLines 0 means no limit.
    // Wrapping modes drop what does not fit in maxLines; the clipping and truncating modes
    // carry the rest onto the last line and cut or shorten it to the width.
    static std::vector<Line> layout(std::string_view text, double pointSize, double width, int maxLines,
                                    NSLineBreakMode mode);

    // The longest form of the line that fits width under the mode (clipping keeps the characters
    // that fit; the truncating modes put an ellipsis where text was taken away).
    static Line fitLine(std::u32string_view line, double pointSize, double width, NSLineBreakMode mode);

    // How many lines of font's height a height holds: at least one.
    static int linesFitting(double height, double lineHeight);
};
