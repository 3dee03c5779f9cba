#include "platform/foundation/LockTable.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
std::optional<std::filesystem::path>& pathForTesting()
{
    static std::optional<std::filesystem::path> path;
    return path;
}
} // namespace

LockTable::Finding LockTable::ask(const struct stat& file)
{
    Finding finding;
    const auto path = pathForTesting().value_or("/proc/locks");
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> table(std::fopen(path.c_str(), "re"), &std::fclose);
    if (!table) {
        finding.problem = std::strerror(errno);
        return finding;
    }
    finding.readable = true;
    // A line the system keeps for a lock held: "1: FLOCK  ADVISORY  WRITE 4920 fe:00:10952913 0 EOF";
    // one waiting for it reads "1: -> FLOCK ...", and is no holder.
    char device[32];
    std::snprintf(device, sizeof device, "%02x:%02x:", ::major(file.st_dev), ::minor(file.st_dev));
    const std::string wanted = device + std::to_string(file.st_ino);
    char line[256];
    while (std::fgets(line, sizeof line, table.get())) {
        char kind[16] {}, advisory[16] {}, access[16] {}, where[64] {};
        long pid = 0;
        if (std::sscanf(line, "%*[^:]: %15s %15s %15s %ld %63s", kind, advisory, access, &pid, where) != 5
            || std::string_view(kind) != "FLOCK" || where != wanted)
            continue;
        finding.held = true;
        if (pid > 0)
            finding.holder = static_cast<pid_t>(pid);
        return finding;
    }
    return finding;
}

std::string LockTable::holderText(const Finding& finding)
{
    if (!finding.holder)
        return "a process";
    const std::string text = "process " + std::to_string(*finding.holder);
    struct stat process {};
    if (::stat(("/proc/" + std::to_string(*finding.holder)).c_str(), &process) != 0)
        return text;
    if (process.st_uid == ::geteuid())
        return text + " of this account";
    return text + " of another account (uid " + std::to_string(process.st_uid) + ")";
}

void LockTable::setPathForTesting(std::optional<std::filesystem::path> path)
{
    pathForTesting() = std::move(path);
}
