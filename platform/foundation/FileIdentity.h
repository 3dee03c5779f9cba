#pragma once

#include <cstdint>
#include <sys/stat.h>

// What tells a file from every other, and from itself once changed: its device and inode, its
// size and its change time to the nanosecond. Writing to a file, changing its permissions or
// owner, and linking, unlinking or renaming it all set its change time, and a file that a freed
// inode is given to again is made at a later time.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;

    static FileIdentity of(const struct stat& info)
    {
        return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                static_cast<std::int64_t>(info.st_size), static_cast<std::int64_t>(info.st_ctim.tv_sec),
                static_cast<std::int64_t>(info.st_ctim.tv_nsec)};
    }
    bool operator==(const FileIdentity&) const = default;
};
