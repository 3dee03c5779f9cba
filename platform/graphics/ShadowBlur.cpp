#include "platform/graphics/ShadowBlur.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {
// Rounded division of a window's sum by its size. Sums stay below 256 × window, so for windows
// below 181 a multiplication by 2^23 / window rounded up, kept to 32 bits, never loses the exact
// quotient; wider windows (blurs of 180 pixels and more) divide.
class WindowDivider {
public:
    static constexpr int kWidestMultiplied = 180;
    explicit WindowDivider(int window)
        : m_window(static_cast<std::uint32_t>(window))
        , m_multiplier((std::uint32_t {1} << 23) / m_window + 1)
    {
    }
    bool exactByMultiplying() const { return m_window <= kWidestMultiplied; }
    std::uint8_t byMultiplying(std::uint32_t sum) const
    {
        return static_cast<std::uint8_t>(((sum + m_window / 2) * m_multiplier) >> 23);
    }
    std::uint8_t byDividing(std::uint32_t sum) const
    {
        return static_cast<std::uint8_t>((sum + m_window / 2) / m_window);
    }

private:
    std::uint32_t m_window;
    std::uint32_t m_multiplier;
};

// The plane being blurred, a scratch plane of the same size and a zero-edged line, so that the
// passes read beyond the edges as transparent without testing every pixel. Only the box that
// coverage can have reached is worked on: it starts as the shape's bounds and grows by the radius
// with each pass, and everything outside it is, and stays, zero.
struct BlurBuffers {
    std::uint8_t* plane;
    std::ptrdiff_t stride;
    int width, height, r;
    int x0, x1, y0, y1;
    std::vector<std::uint8_t> scratch;
    std::vector<std::uint8_t> padded;
    std::vector<std::uint32_t> sums;
};

// Rows of the plane, box-averaged along x, into the scratch plane. Each window's sum is the one
// before plus the entering value less the leaving one: only that addition is done in order, and
// the divisions, which need none, run over the whole row afterwards.
template <auto Divide>
void horizontalPass(BlurBuffers& b, const WindowDivider& divide)
{
    const int r = b.r, window = 2 * r + 1;
    const int first = std::max(0, b.x0 - r), end = std::min(b.width, b.x1 + r);
    const std::uint8_t* line = b.padded.data();
    std::uint32_t* sums = b.sums.data();
    for (int y = b.y0; y < b.y1; ++y) {
        std::copy(b.plane + y * b.stride + b.x0, b.plane + y * b.stride + b.x1, b.padded.data() + r + b.x0);
        std::uint32_t sum = 0;
        for (int i = first; i < first + window; ++i)
            sum += line[i];
        sums[first] = sum;
        for (int x = first + 1; x < end; ++x)
            sums[x] = sum += static_cast<std::uint32_t>(line[x + window - 1] - line[x - 1]);
        std::uint8_t* out = b.scratch.data() + static_cast<std::ptrdiff_t>(y) * b.width;
        for (int x = first; x < end; ++x)
            out[x] = (divide.*Divide)(sums[x]);
    }
    b.x0 = first, b.x1 = end;
}

// Columns of the scratch plane, box-averaged along y, back into the plane; all columns advance
// together a row at a time, so memory is read in order.
template <auto Divide>
void verticalPass(BlurBuffers& b, const WindowDivider& divide)
{
    const int r = b.r, first = std::max(0, b.y0 - r), end = std::min(b.height, b.y1 + r);
    const auto sums = b.sums.begin() + b.x0, sumsEnd = b.sums.begin() + b.x1;
    const auto row = [&](int y) { return b.scratch.data() + static_cast<std::ptrdiff_t>(y) * b.width + b.x0; };
    std::fill(sums, sumsEnd, 0U);
    for (int y = std::max(0, first - r); y < std::min(b.height, first + r); ++y)
        std::transform(sums, sumsEnd, row(y), sums, std::plus<>());
    for (int y = first; y < end; ++y) {
        if (y + r < b.height)
            std::transform(sums, sumsEnd, row(y + r), sums, std::plus<>());
        std::uint8_t* out = b.plane + y * b.stride;
        for (int x = b.x0; x < b.x1; ++x)
            out[x] = (divide.*Divide)(b.sums[static_cast<std::size_t>(x)]);
        if (y - r >= 0)
            std::transform(sums, sumsEnd, row(y - r), sums, std::minus<>());
    }
    b.y0 = first, b.y1 = end;
}

template <auto Divide>
void threePasses(BlurBuffers& b, const WindowDivider& divide)
{
    for (int pass = 0; pass < 3; ++pass) {
        horizontalPass<Divide>(b, divide);
        verticalPass<Divide>(b, divide);
    }
}

// The bounds of the plane's non-zero pixels; false when there are none.
bool findInk(BlurBuffers& b)
{
    b.x0 = b.width, b.x1 = 0, b.y0 = b.height, b.y1 = 0;
    for (int y = 0; y < b.height; ++y) {
        const std::uint8_t* row = b.plane + y * b.stride;
        const auto* inked = std::find_if(row, row + b.width, [](std::uint8_t v) { return v != 0; });
        if (inked == row + b.width)
            continue;
        const auto last = std::find_if(std::make_reverse_iterator(row + b.width), std::make_reverse_iterator(inked),
                                       [](std::uint8_t v) { return v != 0; });
        b.x0 = std::min(b.x0, static_cast<int>(inked - row));
        b.x1 = std::max(b.x1, static_cast<int>(last.base() - row));
        b.y0 = std::min(b.y0, y);
        b.y1 = y + 1;
    }
    return b.y1 > 0;
}

// Box radii whose three passes give about the requested standard deviation.
int boxRadius(double sigma)
{
    const double ideal = std::sqrt(12.0 * sigma * sigma / 3.0 + 1.0);
    return std::max(0, static_cast<int>(std::lround((ideal - 1) / 2)));
}
} // namespace

void ShadowBlur::blur(std::vector<std::uint8_t>& plane, int width, int height, double sigma)
{
    if (width <= 0 || height <= 0 || plane.size() < static_cast<std::size_t>(width) * height)
        return;
    blur(plane.data(), width, height, width, sigma);
}

void ShadowBlur::blur(std::uint8_t* plane, int width, int height, std::ptrdiff_t stride, double sigma)
{
    if (width <= 0 || height <= 0 || stride < width || !(sigma > 0))
        return;
    const int r = std::min(boxRadius(sigma), std::max(width, height));
    if (r == 0)
        return;
    const auto area = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    BlurBuffers b {plane, stride, width, height, r, 0, 0, 0, 0, std::vector<std::uint8_t>(area),
                   std::vector<std::uint8_t>(static_cast<std::size_t>(width) + 2 * r + 1),
                   std::vector<std::uint32_t>(static_cast<std::size_t>(width))};
    // A plane without coverage blurs to itself.
    if (!findInk(b))
        return;
    const WindowDivider divide(2 * r + 1);
    if (divide.exactByMultiplying())
        threePasses<&WindowDivider::byMultiplying>(b, divide);
    else
        threePasses<&WindowDivider::byDividing>(b, divide);
}

int ShadowBlur::reach(double sigma)
{
    return sigma > 0 ? 3 * boxRadius(sigma) : 0;
}
