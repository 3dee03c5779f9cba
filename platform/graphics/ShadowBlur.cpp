#include "platform/graphics/ShadowBlur.h"

#include <algorithm>
#include <cmath>

namespace {
// One box pass of radius r along a row or column read with the given step, written contiguously.
void boxPass(const std::uint8_t* in, std::uint8_t* out, int count, int step, int r)
{
    const int window = 2 * r + 1;
    int sum = 0;
    // The plane is treated as transparent beyond its edges.
    for (int i = -r; i <= r; ++i)
        sum += (i >= 0 && i < count) ? in[i * step] : 0;
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<std::uint8_t>((sum + window / 2) / window);
        const int leaving = i - r;
        const int entering = i + r + 1;
        sum -= (leaving >= 0 && leaving < count) ? in[leaving * step] : 0;
        sum += (entering >= 0 && entering < count) ? in[entering * step] : 0;
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
    if (width <= 0 || height <= 0 || !(sigma > 0) || plane.size() < static_cast<std::size_t>(width) * height)
        return;
    const int r = std::min(boxRadius(sigma), std::max(width, height));
    if (r == 0)
        return;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(std::max(width, height)));
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = plane.data() + static_cast<std::size_t>(y) * width;
            boxPass(row, line.data(), width, 1, r);
            std::copy_n(line.data(), width, row);
        }
        for (int x = 0; x < width; ++x) {
            std::uint8_t* column = plane.data() + x;
            boxPass(column, line.data(), height, width, r);
            for (int y = 0; y < height; ++y)
                column[static_cast<std::size_t>(y) * width] = line[static_cast<std::size_t>(y)];
        }
    }
}

int ShadowBlur::reach(double sigma)
{
    return sigma > 0 ? 3 * boxRadius(sigma) : 0;
}
