#include "app/PictureRecord.h"

#include "platform/foundation/FolderAccess.h"
#include "platform/foundation/Log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The first line of every record: what tells a record from any other file.
constexpr std::string_view Header = R"({"record":"floorpad screen pictures","version":2})";
// Far above a picture's line; a longer one is no picture's, nor the header's.
constexpr std::size_t LongestLine = 4096;

// Calls each with every line of the file open at fd that a newline ends, in order, until it
// returns false. A line longer than LongestLine ends the reading as soon as it is that long: no
// line this program writes comes near it, so it is damage, and a file that is no record says so
// within its first bytes however large it is. A last line that no newline ends was cut short and
// does not come at all. Memory stays bounded however long the file.
void forEachWholeLine(int fd, const std::function<bool(std::string_view)>& each)
{
    std::string buffer(64 * 1024, '\0');
    std::string line;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        std::string_view chunk(buffer.data(), static_cast<std::size_t>(n));
        for (auto end = chunk.find('\n');; end = chunk.find('\n')) {
            const auto part = chunk.substr(0, end);
            if (line.size() + part.size() > LongestLine)
                return;
            line.append(part);
            if (end == std::string_view::npos)
                break;
            if (!each(line))
                return;
            line.clear();
            chunk.remove_prefix(end + 1);
        }
    }
}

// Why another account could have written the record opened, or nothing when none could.
std::optional<std::string> whyNotTrusted(const struct stat& info)
{
    if (!S_ISREG(info.st_mode))
        return "it is not a regular file";
    if (info.st_uid != ::geteuid())
        return "it belongs to another account, uid " + std::to_string(info.st_uid);
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%03o", static_cast<unsigned>(info.st_mode & 0777));
        return std::string("others may write it, mode ") + mode;
    }
    return std::nullopt;
}

template <typename Number>
std::optional<Number> numberAt(const nlohmann::json& value)
{
    if (!value.is_number_integer())
        return std::nullopt;
    return value.get<Number>();
}

// The file a picture's line names, as it stood once written.
std::optional<FileIdentity> writtenIdentity(const nlohmann::json& entry)
{
    const auto field = [&entry](const char* key) { return entry.contains(key) ? entry[key] : nlohmann::json(); };
    const auto changed = field("changed");
    if (!changed.is_array() || changed.size() != 2)
        return std::nullopt;
    const auto device = numberAt<std::uint64_t>(field("device"));
    const auto inode = numberAt<std::uint64_t>(field("inode"));
    const auto size = numberAt<std::int64_t>(field("size"));
    const auto seconds = numberAt<std::int64_t>(changed[0]);
    const auto nanoseconds = numberAt<std::int64_t>(changed[1]);
    if (!device || !inode || !size || !seconds || !nanoseconds)
        return std::nullopt;
    return FileIdentity {*device, *inode, *size, *seconds, *nanoseconds};
}
} // namespace

PictureRecord::PictureRecord(SharedFolder folder, std::function<bool(std::string_view)> ownName)
    : m_folder(std::move(folder))
    , m_ownName(std::move(ownName))
{
}

std::size_t PictureRecord::removeRecordedPictures()
{
    m_file.reset();
    const std::string name(FileName);
    const auto path = m_folder->pathOf(name);
    const auto record = m_folder->openForReading(name);
    struct stat info {};
    if (!record && errno == ENOENT) {
        startRecord();
        return 0;
    }
    const auto why = !record || ::fstat(record.get(), &info) != 0
        ? std::optional(std::string(errno == ELOOP ? "it is a link" : std::strerror(errno)))
        : whyNotTrusted(info);
    if (why) {
        NSLog("the picture record %s is not trusted (%s): nothing removed, and this run records no pictures",
              path.c_str(), why->c_str());
        return 0;
    }
    std::size_t removed = 0;
    if (!removePicturesNamedIn(record.get(), removed)) {
        const auto aside = m_folder->setAside(name);
        const std::string outcome = aside ? "set aside as " + m_folder->pathOf(*aside).string()
                                          : std::string("not set aside (") + std::strerror(errno)
                + "), and this run records no pictures";
        NSLog("%s is no record of pictures that this version reads (its first line is not a record's): %s, nothing "
              "removed",
              path.c_str(), outcome.c_str());
        if (!aside)
            return 0;
    } else if (!m_folder->removeIfStill(name, FileIdentity::of(info))) {
        // The record read goes, and only it: not a file put in its place meanwhile.
        NSLog("could not clear the picture record %s (it is no longer the record read): this run records no pictures",
              path.c_str());
        return removed;
    }
    startRecord();
    return removed;
}

bool PictureRecord::removePicturesNamedIn(int fd, std::size_t& removed) const
{
    bool isRecord = false;
    forEachWholeLine(fd, [&](std::string_view line) {
        if (!isRecord)
            return isRecord = line == Header;
        removeIfStillWritten(std::string(line), removed);
        return true;
    });
    return isRecord;
}

void PictureRecord::removeIfStillWritten(const std::string& line, std::size_t& removed) const
{
    const auto entry = nlohmann::json::parse(line, nullptr, false);
    if (!entry.is_object() || !entry.contains("name") || !entry["name"].is_string())
        return;
    const std::string name = entry["name"];
    if (!m_ownName(name) || std::filesystem::path(name) != std::filesystem::path(name).filename())
        return;
    const auto written = writtenIdentity(entry);
    if (written && m_folder->removeIfStill(name, *written))
        ++removed;
}

void PictureRecord::startRecord()
{
    // Where only another account may write the folder (root's run in a user's folder), the record
    // is that account's, so that its own runs there go on trusting it.
    const auto folder = m_folder->status();
    CreatedFile created;
    const auto made = m_folder->createNew(std::string(FileName), std::string(Header) + "\n", 0600, FileFlush::ToDisk,
                                          &created, [&folder](int fd) {
                                              if (folder)
                                                  FolderAccess(*folder).keep(fd);
                                          });
    if (made == FileCreation::Created && created.appending) {
        m_file = std::move(created.appending);
        return;
    }
    const std::string why = made == FileCreation::NameTaken ? "something else took its name meanwhile"
                                                            : std::strerror(errno);
    NSLog("could not start the picture record in %s: %s: this run records no pictures", m_folder->path().c_str(),
          why.c_str());
}

bool PictureRecord::add(const std::string& name, const FileIdentity& written)
{
    if (!m_file)
        return false;
    const auto stopRecording = [&](const std::string& why) {
        NSLog("could not record %s in %s: %s: it and the later pictures of this run will stay", name.c_str(),
              m_folder->path().c_str(), why.c_str());
        m_file.reset();
        return false;
    };
    // A record that has gained another link is no longer the program's alone to write: whatever
    // the other name stands for is left exactly as it is.
    struct stat info {};
    if (::fstat(m_file.get(), &info) != 0)
        return stopRecording(std::strerror(errno));
    if (info.st_nlink == 0)
        return stopRecording("it was removed");
    if (info.st_nlink != 1)
        return stopRecording("it has another link");
    const nlohmann::json entry {{"name", name},
                                {"device", written.device},
                                {"inode", written.inode},
                                {"size", written.size},
                                {"changed", {written.changedSeconds, written.changedNanoseconds}}};
    const std::string line = entry.dump() + "\n";
    // One whole line onto the end, on the disk as the picture before it is: a power cut loses at
    // most this line. After a short write the record is not appended to again, so the part of a
    // line it left stays the last one, which a reader passes over.
    const ssize_t appended = ::write(m_file.get(), line.data(), line.size());
    const bool whole = appended == static_cast<ssize_t>(line.size());
    if (whole && ::fdatasync(m_file.get()) == 0)
        return true;
    return stopRecording(whole || appended < 0 ? std::strerror(errno) : "the line was cut short");
}
