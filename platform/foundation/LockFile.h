#pragma once

#include <string_view>
#include <sys/stat.h>

// What the program's lock of a folder is, known by what it holds rather than by how it looks: an
// empty file may be one that a process holds open and writes later, so a look at the mode, the
// owner or the size alone proves nothing.
//
// A run writes Mark into the lock, whole, before the lock has its name, and never writes it after:
// no other account can put those bytes into a file of this account's, so a file of this account's
// that holds exactly Mark, with one link and a lock's mode, is a lock some run of the program made.
// Only such a file is ever brought in line with its folder, or handed over by root's run.
namespace LockFile {
inline constexpr std::string_view Mark = "floorpad: this file locks its folder for one run at a time\n";

// What a file at the lock's name looks like by what any account may see of it (not what it holds).
enum class Look {
    // A regular file with one link, a lock's mode and the size of the mark.
    Lock,
    // The same, empty: how earlier versions made the lock.
    EarlierLock,
    // Anything else: words in it, another link, another mode or another kind of file.
    NotALock,
};
Look lookOf(const struct stat& file);
// Whether the file open at fd (as file says it is) looks like a lock and holds exactly the mark, as
// read through fd.
bool isMarked(int fd, const struct stat& file);
// Whether it is marked and the running account's.
bool isOwn(int fd, const struct stat& file);
} // namespace LockFile
