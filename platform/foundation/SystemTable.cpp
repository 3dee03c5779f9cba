#include "platform/foundation/SystemTable.h"

#include "platform/foundation/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Longer than any line of the tables read here (a mount's options included), short enough that a
// table is read in a small, fixed amount of memory.
constexpr std::size_t LongestLine = 64 * 1024;
} // namespace

std::optional<std::string> SystemTable::readLines(const std::filesystem::path& path,
                                                  const std::function<bool(std::string_view line)>& line)
{
    const UniqueFd table(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!table)
        return std::strerror(errno);
    std::string pending;
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t got = ::read(table.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::strerror(errno);
        if (got == 0)
            break;
        pending.append(buffer, static_cast<std::size_t>(got));
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
            if (!line(std::string_view(pending).substr(start, end - start)))
                return std::nullopt;
        }
        pending.erase(0, start);
        if (pending.size() > LongestLine)
            return "a line of it is longer than " + std::to_string(LongestLine) + " bytes";
    }
    if (!pending.empty())
        line(pending);
    return std::nullopt;
}
