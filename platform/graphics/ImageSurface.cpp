#include "platform/graphics/ImageSurface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace ImageSurface {
namespace {

// Mappings let go, kept for the next picture of the same size up to PoolBytes in all (the oldest
// go first): fresh pages cost a fault each, which for a stream of like-sized pictures (every
// dish picture is 1024 × 768) would take longer than decoding them.
class MappingPool {
public:
    static constexpr std::size_t PoolBytes = std::size_t(16) << 20;

    static MappingPool& shared()
    {
        static auto* pool = new MappingPool();
        return *pool;
    }

    void* take(std::size_t bytes)
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::find_if(m_free.begin(), m_free.end(), [&](const auto& m) { return m.second == bytes; });
        if (it == m_free.end())
            return nullptr;
        void* data = it->first;
        m_pooled -= bytes;
        m_free.erase(it);
        return data;
    }

    void give(void* data, std::size_t bytes)
    {
        // Too large to keep, it leaves the pool as it was.
        if (bytes > PoolBytes) {
            ::munmap(data, bytes);
            return;
        }
        std::lock_guard lock(m_mutex);
        while (!m_free.empty() && m_pooled + bytes > PoolBytes) {
            ::munmap(m_free.front().first, m_free.front().second);
            m_pooled -= m_free.front().second;
            m_free.erase(m_free.begin());
        }
        m_free.emplace_back(data, bytes);
        m_pooled += bytes;
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<void*, std::size_t>> m_free; // oldest first
    std::size_t m_pooled = 0;
};

struct Pixels {
    void* data = nullptr;
    std::size_t bytes = 0; // whole pages when mapped
    bool mapped = false;
};

void release(void* closure)
{
    auto* pixels = static_cast<Pixels*>(closure);
    if (pixels->mapped)
        MappingPool::shared().give(pixels->data, pixels->bytes);
    else
        std::free(pixels->data);
    delete pixels;
}

void* map(std::size_t bytes, bool cleared)
{
    if (void* reused = MappingPool::shared().take(bytes))
        return cleared ? std::memset(reused, 0, bytes) : reused;
    void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return data == MAP_FAILED ? nullptr : data; // fresh pages come zeroed
}

Pixels* allocate(std::size_t bytes, bool cleared)
{
    static const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    auto* pixels = new Pixels {nullptr, bytes, bytes >= LargeBytes};
    if (pixels->mapped) {
        pixels->bytes = (bytes + page - 1) / page * page;
        pixels->data = map(pixels->bytes, cleared);
    } else {
        pixels->data = cleared ? std::calloc(1, bytes) : std::malloc(bytes);
    }
    if (!pixels->data) {
        delete pixels;
        return nullptr;
    }
    return pixels;
}

cairo_surface_t* createWith(int width, int height, bool cleared)
{
    static const cairo_user_data_key_t pixelsKey {};
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    Pixels* pixels = stride > 0 && height > 0
        ? allocate(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), cleared)
        : nullptr;
    if (!pixels)
        return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height); // carries the error
    cairo_surface_t* surface = cairo_image_surface_create_for_data(static_cast<unsigned char*>(pixels->data),
                                                                   CAIRO_FORMAT_ARGB32, width, height, stride);
    if (cairo_surface_set_user_data(surface, &pixelsKey, pixels, release) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        release(pixels);
        return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, -1, -1);
    }
    return surface;
}

} // namespace

cairo_surface_t* createForDecoding(int width, int height)
{
    return createWith(width, height, false);
}

cairo_surface_t* create(int width, int height)
{
    return createWith(width, height, true);
}

} // namespace ImageSurface
