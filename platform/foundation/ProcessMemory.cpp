#include "platform/foundation/ProcessMemory.h"

#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace ProcessMemory {

std::uint64_t residentBytes()
{
    std::FILE* file = std::fopen("/proc/self/statm", "re");
    if (!file)
        return 0;
    unsigned long long size = 0, resident = 0;
    const int read = std::fscanf(file, "%llu %llu", &size, &resident);
    std::fclose(file);
    const long page = ::sysconf(_SC_PAGESIZE);
    return read == 2 && page > 0 ? resident * static_cast<std::uint64_t>(page) : 0;
}

std::uint64_t availableBytes()
{
    std::FILE* file = std::fopen("/proc/meminfo", "re");
    if (!file)
        return 0;
    char line[128];
    unsigned long long kilobytes = 0;
    while (std::fgets(line, sizeof line, file)) {
        if (std::sscanf(line, "MemAvailable: %llu kB", &kilobytes) == 1)
            break;
    }
    std::fclose(file);
    return kilobytes * 1024;
}

} // namespace ProcessMemory
