#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// File work of the picture disk cache. Symbolic links are never followed: a link in the cache
// folder counts as a small file of its own, and deleting it deletes only the link.
namespace DiskFiles {
struct Entry {
    std::filesystem::path path;
    double modified = 0;           // seconds since the epoch, of the entry itself
    std::uint64_t allocated = 0;   // bytes taken on disk
    std::uint64_t size = 0;        // bytes of content
};

void markExcludedFromBackup(const std::filesystem::path& path);
// Every file below folder, sub-folders included; hidden names skipped.
std::vector<Entry> filesBelow(const std::filesystem::path& folder);
double now();
} // namespace DiskFiles
