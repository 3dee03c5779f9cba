#pragma once

#include <cstdint>
#include <fstream>
#include <string>

// Counters the kernel keeps for a process, for tests of what a piece of work costs: bytes read
// (rchar, through read() and its kin, whether from a disk or the page cache) and the peak of
// resident memory (VmHWM), which writing "5" to clear_refs sets back to what is resident now.
namespace ProcessCounters {
// The number after name ("rchar:", "VmHWM:") in a /proc file; 0 when it is not there.
inline std::uint64_t field(const std::string& file, const std::string& name)
{
    std::ifstream in(file);
    std::string word;
    while (in >> word) {
        if (word == name) {
            std::uint64_t value = 0;
            in >> value;
            return value;
        }
    }
    return 0;
}

inline std::uint64_t bytesRead(const std::string& process = "self")
{
    return field("/proc/" + process + "/io", "rchar:");
}

inline std::uint64_t peakResidentBytes()
{
    return field("/proc/self/status", "VmHWM:") * 1024;
}

inline bool resetPeakResident()
{
    return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5" << std::flush);
}
} // namespace ProcessCounters
