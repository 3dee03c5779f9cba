#pragma once

#include "platform/foundation/OpenFolder.h"
#include "platform/foundation/UniqueFd.h"

#include <chrono>
#include <string>

// Holds a file that several runs may change (the settings) for one change at a time: the read,
// the change and the replacement all happen while it is held, so no run writes back a table it
// read before another run's change.
//
// The lock is a file of its own beside the file it guards, "<name>.lock" in the same folder, reached
// through the folder as opened. It is made as every lock of the program's is, whole with its mark
// (LockFile::Mark) before it has its name, and after that only opened and locked with flock, never
// written or removed; the system lets go of it however its holder ends. A run waits for a holder
// to finish its change, but within a bound: a holder stopped mid-change keeps nobody waiting for ever.
class ChangeLock {
public:
    // Far longer than any change takes, a write flushed to a slow disk included.
    static constexpr std::chrono::milliseconds DefaultPatience {10000};

    ChangeLock(const OpenFolder& folder, const std::string& name,
               std::chrono::milliseconds patience = DefaultPatience);

    bool isHeld() const { return m_lock.isValid(); }
    // Why it is not held: what stands at the lock's name instead of a file, that another run held
    // it all the time waited, or the system's reason.
    const std::string& problem() const { return m_problem; }

private:
    // Changed: the lock was removed or replaced while being locked: try again.
    enum class Outcome { Done, Changed };
    Outcome tryToHold(std::chrono::steady_clock::time_point giveUp);
    // Waits for the lock open at fd, until giveUp. Whether it was had (the problem said when not).
    bool wait(int fd, std::chrono::steady_clock::time_point giveUp);
    // "its lock PATH": for messages.
    std::string lockText() const;

    const OpenFolder& m_folder;
    std::string m_name;
    std::chrono::milliseconds m_patience;
    UniqueFd m_lock;
    std::string m_problem;
};
