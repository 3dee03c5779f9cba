#pragma once

#include <cstdint>

// How much memory the process holds and the machine has left, read from /proc: two small reads,
// cheap enough for a timer to take every second.
namespace ProcessMemory {
// Bytes of this process resident in memory; 0 when unknown.
std::uint64_t residentBytes();
// Bytes the machine can still hand out without swapping (MemAvailable); 0 when unknown.
std::uint64_t availableBytes();
} // namespace ProcessMemory
