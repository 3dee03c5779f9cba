#pragma once

#include "platform/foundation/OpenFolder.h"

#include <cstdint>
#include <string>
#include <vector>

// File work of the picture disk cache, all of it through the cache's folder held open. Links are
// never followed: a link in the cache folder counts as a small file of its own, and deleting it
// deletes only the link.
namespace DiskFiles {
struct Entry {
    SharedFolder folder;           // the folder it is in, held open
    std::string name;              // its name there
    double modified = 0;           // seconds since the epoch, of the entry itself
    std::uint64_t allocated = 0;   // bytes taken on disk
    std::uint64_t size = 0;        // bytes of content

    // Unlinks the entry through its folder. Whether it went.
    bool remove() const { return folder->remove(name); }
};

void markExcludedFromBackup(const OpenFolder& folder, const std::string& name);
// Every file below folder, sub-folders included; hidden names skipped. The cache writes no
// sub-folders, and each one found is held open while entries of it live, so a walk opens at most
// MostFoldersOpened of them: what lies in further ones is left out.
inline constexpr std::size_t MostFoldersOpened = 64;
std::vector<Entry> filesBelow(const SharedFolder& folder);
double now();
} // namespace DiskFiles
