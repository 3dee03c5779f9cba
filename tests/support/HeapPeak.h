#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define FLOORPAD_SANITIZER_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define FLOORPAD_SANITIZER_HEAP 1
#endif
#endif

#if defined(FLOORPAD_SANITIZER_HEAP)
// The sanitizers' allocator interface (not every compiler ships its header).
extern "C" {
std::size_t __sanitizer_get_current_allocated_bytes();
int __sanitizer_install_malloc_and_free_hooks(void (*onAllocation)(const volatile void*, std::size_t),
                                              void (*onRelease)(const volatile void*));
}
#endif

// The most the heap held at once, beyond what it held when counting began, as the sanitizers' own
// allocator tells it: resident memory cannot tell it under them, where what is freed is kept aside
// for a while. Without a sanitizer (a plain build) there is no way to hear of every allocation,
// and available() is false.
namespace HeapPeak {
#if defined(FLOORPAD_SANITIZER_HEAP)
inline std::atomic<bool> counting {false};
inline std::atomic<std::size_t> base {0}, most {0};

inline void onAllocation(const volatile void*, std::size_t)
{
    if (!counting.load(std::memory_order_relaxed))
        return;
    const std::size_t now = __sanitizer_get_current_allocated_bytes();
    std::size_t seen = most.load(std::memory_order_relaxed);
    while (now > seen && !most.compare_exchange_weak(seen, now)) {
    }
}
inline void onRelease(const volatile void*) {}

inline bool available()
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(onAllocation, onRelease) != 0;
    return installed;
}

// Starts counting from what is held now.
inline void start()
{
    base = most = __sanitizer_get_current_allocated_bytes();
    counting = true;
}

// The most held beyond the start since, and stops counting.
inline std::size_t stop()
{
    counting = false;
    return most - std::min<std::size_t>(base, most);
}
#else
inline bool available() { return false; }
inline void start() {}
inline std::size_t stop() { return 0; }
#endif
} // namespace HeapPeak
