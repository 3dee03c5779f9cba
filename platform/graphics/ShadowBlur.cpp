#include "platform/graphics/ShadowBlur.h"

#include <algorithm>
#include <cmath>

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
// passes read beyond the edges as transparent without testing every pixel.
struct BlurBuffers {
    std::uint8_t* plane;
    std::ptrdiff_t stride;
    int width, height, r;
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
    const std::uint8_t* line = b.padded.data();
    std::uint32_t* sums = b.sums.data();
    for (int y = 0; y < b.height; ++y) {
        std::copy_n(b.plane + y * b.stride, b.width, b.padded.data() + r);
        std::uint32_t sum = 0;
        for (int i = 0; i < window; ++i)
            sum += line[i];
        sums[0] = sum;
        for (int x = 1; x < b.width; ++x)
            sums[x] = sum += static_cast<std::uint32_t>(line[x + window - 1] - line[x - 1]);
        std::uint8_t* out = b.scratch.data() + static_cast<std::ptrdiff_t>(y) * b.width;
        for (int x = 0; x < b.width; ++x)
            out[x] = (divide.*Divide)(sums[x]);
    }
}

// Columns of the scratch plane, box-averaged along y, back into the plane; all columns advance
// together a row at a time, so memory is read in order.
template <auto Divide>
void verticalPass(BlurBuffers& b, const WindowDivider& divide)
{
    const int r = b.r, w = b.width;
    const auto row = [&](int y) { return b.scratch.data() + static_cast<std::ptrdiff_t>(y) * w; };
    std::fill(b.sums.begin(), b.sums.end(), 0U);
    for (int y = 0; y < std::min(r, b.height); ++y)
        std::transform(b.sums.begin(), b.sums.end(), row(y), b.sums.begin(), std::plus<>());
    for (int y = 0; y < b.height; ++y) {
        if (y + r < b.height)
            std::transform(b.sums.begin(), b.sums.end(), row(y + r), b.sums.begin(), std::plus<>());
        std::uint8_t* out = b.plane + y * b.stride;
        for (int x = 0; x < w; ++x)
            out[x] = (divide.*Divide)(b.sums[static_cast<std::size_t>(x)]);
        if (y - r >= 0)
            std::transform(b.sums.begin(), b.sums.end(), row(y - r), b.sums.begin(), std::minus<>());
    }
}

template <auto Divide>
void threePasses(BlurBuffers& b, const WindowDivider& divide)
{
    for (int pass = 0; pass < 3; ++pass) {
        horizontalPass<Divide>(b, divide);
        verticalPass<Divide>(b, divide);
    }
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
    BlurBuffers b {plane, stride, width, height, r, std::vector<std::uint8_t>(area),
                   std::vector<std::uint8_t>(static_cast<std::size_t>(width) + 2 * r + 1),
                   std::vector<std::uint32_t>(static_cast<std::size_t>(width))};
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
