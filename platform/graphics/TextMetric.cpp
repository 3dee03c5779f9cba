#include "platform/graphics/TextMetric.h"

#include "platform/graphics/Utf8.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr char32_t Ellipsis = 0x2026;
// Widths are sums of halves of an em; this absorbs their rounding when compared with a limit.
constexpr double Slack = 1e-9;

bool isLineBreak(char32_t c) { return c == U'\n' || c == U'\r' || c == 0x2028 || c == 0x2029; }
bool isSpace(char32_t c) { return c == U' ' || c == U'\t' || c == 0x3000; }

double sanitisedWidth(double width)
{
    if (std::isnan(width) || width < 0)
        return 0;
    return width;
}

std::u32string trimmedRight(std::u32string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && isSpace(text[end - 1]))
        --end;
    return std::u32string(text.substr(0, end));
}

bool truncates(NSLineBreakMode mode)
{
    return mode != NSLineBreakMode::ByWordWrapping && mode != NSLineBreakMode::ByCharWrapping;
}

// Greedy wrapping of one paragraph. Every line but one made of a single over-wide character
// fits the width; each line takes at least one character, so the loop always moves on.
void wrapParagraph(std::u32string_view p, double size, double width, bool byWords, std::vector<TextMetric::Line>& out)
{
    if (p.empty()) {
        out.push_back({});
        return;
    }
    std::size_t lineStart = 0;
    std::size_t lastBreak = 0; // 0: no place to break by words in the current line
    double lineWidth = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        const double a = TextMetric::advance(c, size);
        if (lineWidth + a > width + Slack && i > lineStart && !isSpace(c)) {
            const std::size_t breakAt = (byWords && lastBreak > lineStart) ? lastBreak : i;
            const std::u32string text = trimmedRight(p.substr(lineStart, breakAt - lineStart));
            out.push_back({text, TextMetric::width(text, size)});
            lineStart = breakAt;
            lastBreak = 0;
            lineWidth = 0;
            for (std::size_t k = lineStart; k < i; ++k) {
                lineWidth += TextMetric::advance(p[k], size);
                if (isSpace(p[k]) || TextMetric::isWide(p[k]))
                    lastBreak = k + 1;
            }
        }
        lineWidth += a;
        if (isSpace(c) || TextMetric::isWide(c) || c == U'-')
            lastBreak = i + 1;
    }
    const std::u32string text = trimmedRight(p.substr(lineStart));
    out.push_back({text, TextMetric::width(text, size)});
}

struct Taken {
    std::size_t count = 0;
    double width = 0;
};

enum class End { Front, Back };

// The characters from one end of the line that fit the limit with `reserve` (the ellipsis) left over.
Taken takenFrom(End end, std::u32string_view line, double size, double limit, double reserve)
{
    Taken taken;
    const auto at = [&](std::size_t n) { return end == End::Front ? line[n] : line[line.size() - 1 - n]; };
    while (taken.count < line.size()) {
        const double a = TextMetric::advance(at(taken.count), size);
        if (taken.width + a + reserve > limit + Slack)
            break;
        taken.width += a;
        ++taken.count;
    }
    return taken;
}

// Takes from whichever end has given less so far, until the next character would not fit.
std::u32string truncatedInTheMiddle(std::u32string_view line, double size, double limit, double ellipsis)
{
    std::size_t front = 0, back = 0;
    double frontWidth = 0, backWidth = 0;
    while (front + back < line.size()) {
        const bool takeFront = frontWidth <= backWidth;
        const char32_t c = takeFront ? line[front] : line[line.size() - 1 - back];
        const double a = TextMetric::advance(c, size);
        if (frontWidth + backWidth + a + ellipsis > limit + Slack)
            break;
        if (takeFront) {
            frontWidth += a;
            ++front;
        } else {
            backWidth += a;
            ++back;
        }
    }
    return std::u32string(line.substr(0, front)) + Ellipsis + std::u32string(line.substr(line.size() - back));
}
} // namespace

bool TextMetric::isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF)
        || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF)
        || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
        || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F)
        || (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x2FFFD) || (c >= 0x30000 && c <= 0x3FFFD);
}

double TextMetric::advance(char32_t c, double pointSize)
{
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x300 && c <= 0x36F) || (c >= 0x200B && c <= 0x200F)
        || c == 0xFEFF)
        return 0;
    return isWide(c) ? pointSize : pointSize / 2;
}

double TextMetric::width(std::u32string_view text, double pointSize)
{
    double sum = 0;
    for (char32_t c : text)
        sum += advance(c, pointSize);
    return sum;
}

int TextMetric::linesFitting(double height, double lineHeight)
{
    if (!(lineHeight > 0) || !(height >= lineHeight))
        return 1;
    const double lines = height / lineHeight;
    if (lines > 1e6)
        return 0;
    return static_cast<int>(std::floor(lines + Slack));
}

CGSize TextMetric::sizeWithFont(std::string_view text, const UIFont& font)
{
    if (text.empty())
        return CGSizeZero;
    return {width(Utf8::decode(text), font.pointSize()), font.lineHeight()};
}

CGSize TextMetric::sizeWithFont(std::string_view text, const UIFont& font, CGSize constraint, NSLineBreakMode mode)
{
    if (text.empty())
        return CGSizeZero;
    const auto lines = layout(text, font.pointSize(), constraint.width,
                              linesFitting(constraint.height, font.lineHeight()), mode);
    double widest = 0;
    for (const auto& line : lines)
        widest = std::max(widest, line.width);
    return {std::min(widest, sanitisedWidth(constraint.width)), static_cast<double>(lines.size()) * font.lineHeight()};
}

CGSize TextMetric::sizeWithFont(std::string_view text, const UIFont& font, double lineWidth, NSLineBreakMode mode)
{
    if (text.empty())
        return CGSizeZero;
    const auto line = fitLine(Utf8::decode(text), font.pointSize(), lineWidth, mode);
    return {std::min(line.width, sanitisedWidth(lineWidth)), font.lineHeight()};
}

TextMetric::ShrunkSize TextMetric::sizeWithFont(std::string_view text, const UIFont& font, double minFontSize,
                                                double lineWidth, NSLineBreakMode mode)
{
    const double size = font.pointSize();
    if (text.empty())
        return {CGSizeZero, size};
    const double limit = sanitisedWidth(lineWidth);
    const std::u32string chars = Utf8::decode(text);
    const double full = width(chars, size);
    if (full <= limit + Slack)
        return {{full, font.lineHeight()}, size};

    // Width grows linearly with the size, so the size that just fits follows directly.
    const double smallest = std::isfinite(minFontSize) && minFontSize > 0 ? std::min(minFontSize, size) : size;
    const double fitting = size * limit / full;
    if (fitting >= smallest)
        return {{std::min(full * fitting / size, limit), fitting * 1.2}, fitting};
    const auto line = fitLine(chars, smallest, limit, mode);
    return {{std::min(line.width, limit), smallest * 1.2}, smallest};
}

TextMetric::Line TextMetric::fitLine(std::u32string_view line, double size, double lineWidth, NSLineBreakMode mode)
{
    const double limit = sanitisedWidth(lineWidth);
    const double full = width(line, size);
    if (full <= limit + Slack)
        return {std::u32string(line), full};

    const double e = advance(Ellipsis, size);
    std::u32string text;
    switch (mode) {
    case NSLineBreakMode::ByTruncatingTail:
        if (e > limit + Slack)
            return {};
        text = trimmedRight(line.substr(0, takenFrom(End::Front, line, size, limit, e).count)) + Ellipsis;
        return {text, width(text, size)};
    case NSLineBreakMode::ByTruncatingHead:
        if (e > limit + Slack)
            return {};
        text = Ellipsis + std::u32string(line.substr(line.size() - takenFrom(End::Back, line, size, limit, e).count));
        return {text, width(text, size)};
    case NSLineBreakMode::ByTruncatingMiddle:
        if (e > limit + Slack)
            return {};
        text = truncatedInTheMiddle(line, size, limit, e);
        return {text, width(text, size)};
    case NSLineBreakMode::ByWordWrapping:
    case NSLineBreakMode::ByCharWrapping:
    case NSLineBreakMode::ByClipping:
        break;
    }
    const Taken clipped = takenFrom(End::Front, line, size, limit, 0);
    return {std::u32string(line.substr(0, clipped.count)), clipped.width};
}

std::vector<TextMetric::Line> TextMetric::layout(std::string_view text, double pointSize, double lineWidth,
                                                 int maxLines, NSLineBreakMode mode)
{
    std::vector<Line> lines;
    const std::u32string chars = Utf8::decode(text);
    if (chars.empty())
        return lines;
    const double limit = sanitisedWidth(lineWidth);
    const bool byWords = mode != NSLineBreakMode::ByCharWrapping;

    // Where each line starts in chars, so that a truncating mode can carry the rest onto the last line.
    std::vector<std::size_t> starts;
    std::size_t paragraphStart = 0;
    for (std::size_t i = 0; i <= chars.size(); ++i) {
        if (i < chars.size() && !isLineBreak(chars[i]))
            continue;
        const std::size_t before = lines.size();
        wrapParagraph(std::u32string_view(chars).substr(paragraphStart, i - paragraphStart), pointSize, limit, byWords,
                      lines);
        std::size_t offset = paragraphStart;
        for (std::size_t k = before; k < lines.size(); ++k) {
            starts.push_back(offset);
            offset += lines[k].text.size();
            while (offset < i && isSpace(chars[offset]))
                ++offset;
        }
        if (i + 1 < chars.size() && chars[i] == U'\r' && chars[i + 1] == U'\n')
            ++i;
        paragraphStart = i + 1;
        if (maxLines > 0 && static_cast<int>(lines.size()) > maxLines)
            break; // the rest cannot show
    }

    if (maxLines > 0 && static_cast<int>(lines.size()) > maxLines) {
        lines.resize(static_cast<std::size_t>(maxLines));
        if (truncates(mode)) {
            std::u32string rest = chars.substr(starts[static_cast<std::size_t>(maxLines) - 1]);
            std::replace_if(rest.begin(), rest.end(), isLineBreak, U' ');
            // The shortened last line must show that text was left out, even if its first part fits.
            Line last = fitLine(rest, pointSize, limit, mode);
            lines.back() = std::move(last);
        }
    }
    if (truncates(mode)) {
        for (auto& line : lines)
            line = fitLine(line.text, pointSize, limit, mode);
    }
    return lines;
}
