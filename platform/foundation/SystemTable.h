#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// A table the system keeps as lines of text under /proc (its file locks, its mounts), read whole.
namespace SystemTable {
// Hands each line of the table at path, without its newline, to line until that returns false.
// Nothing when the table was read to its end or line asked to stop; else why it could not be
// read whole (the system's reason, or a line longer than any the system writes). Opened without
// waiting: a table is never waited on.
std::optional<std::string> readLines(const std::filesystem::path& path,
                                     const std::function<bool(std::string_view line)>& line);

// The system hands a table out a page at a time, as it stands at that moment, and finds its place
// for the next page by counting lines: where lines before that place go between two pages, as many
// lines after it move into the page already handed out, and a line that stood in the table all
// along is never handed out by that read. So the table is read whole again and again, every line
// of every read handed to line, until line asks to stop, found() says after a read that what was
// looked for has been seen, or two reads in a row hand out the same lines; at most mostReads times,
// and no read after the second begun once mostTime has passed. Nothing then; else why not: the
// reason a read failed, or that the table changed while each of the reads handed it out.
std::optional<std::string> readSettled(const std::filesystem::path& path,
                                       const std::function<bool(std::string_view line)>& line,
                                       const std::function<bool()>& found, int mostReads,
                                       std::chrono::steady_clock::duration mostTime);
} // namespace SystemTable
