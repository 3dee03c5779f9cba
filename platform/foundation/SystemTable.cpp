#include "platform/foundation/SystemTable.h"

#include "platform/foundation/UniqueFd.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Longer than any line of the tables read here (a mount's options included), short enough that a
// table is read in a small, fixed amount of memory.
constexpr std::size_t LongestLine = 64 * 1024;

// The most asked of the system at once. It hands out no more than a page however much is asked.
constexpr std::size_t LargestPiece = 16 * 1024;
// Asked of the system at once in every other read: it hands out lines up to about as much as was
// asked for as the table stands at one moment, so these reads part the table into pieces at other
// lines than reads of whole pages do, and no two of them in a row can miss the same lines alike.
constexpr std::size_t SmallerPiece = 1500;

// What one whole read of a table handed out.
struct Read {
    std::size_t piece = LargestPiece; // asked of the system at once
    bool stopped = false; // line asked to stop
    std::string* text = nullptr; // where given, all that was handed out
};

std::optional<std::string> readOnce(const std::filesystem::path& path,
                                    const std::function<bool(std::string_view line)>& line, Read& read)
{
    const UniqueFd table(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!table)
        return std::strerror(errno);
    std::string pending;
    char buffer[LargestPiece];
    for (;;) {
        const ssize_t got = ::read(table.get(), buffer, std::min(read.piece, sizeof buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::strerror(errno);
        if (got == 0)
            break;
        if (read.text)
            read.text->append(buffer, static_cast<std::size_t>(got));
        pending.append(buffer, static_cast<std::size_t>(got));
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
            if (!line(std::string_view(pending).substr(start, end - start))) {
                read.stopped = true;
                return std::nullopt;
            }
        }
        pending.erase(0, start);
        if (pending.size() > LongestLine)
            return "a line of it is longer than " + std::to_string(LongestLine) + " bytes";
    }
    if (!pending.empty())
        read.stopped = !line(pending);
    return std::nullopt;
}
} // namespace

std::optional<std::string> SystemTable::readLines(const std::filesystem::path& path,
                                                  const std::function<bool(std::string_view line)>& line)
{
    Read read;
    return readOnce(path, line, read);
}

std::optional<std::string> SystemTable::readSettled(const std::filesystem::path& path,
                                                    const std::function<bool(std::string_view line)>& line,
                                                    const std::function<bool()>& found, int mostReads,
                                                    std::chrono::steady_clock::duration mostTime)
{
    const auto until = std::chrono::steady_clock::now() + mostTime;
    // The last two reads' lines, to tell whether the table stood still between them. Even one page
    // proves nothing: lines that go before its end as the next is asked for end the table there.
    std::string before, now;
    int reads = 0;
    for (; reads < mostReads && (reads < 2 || std::chrono::steady_clock::now() < until); ++reads) {
        now.clear();
        Read read;
        read.piece = reads % 2 == 0 ? LargestPiece : SmallerPiece;
        read.text = &now;
        if (auto problem = readOnce(path, line, read))
            return problem;
        if (read.stopped || found() || (reads > 0 && now == before))
            return std::nullopt;
        std::swap(before, now);
    }
    return "it changed while being read, each of the " + std::to_string(reads) + " times";
}
