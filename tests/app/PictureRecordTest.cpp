#include "app/PictureRecord.h"
#include "platform/foundation/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <optional>
#include <sys/resource.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
SharedFolder held(const fs::path& folder)
{
    return std::make_shared<const OpenFolder>(OpenFolder::open(folder, OpenFolder::Links::Follow, 0777));
}

bool isPicture(std::string_view name)
{
    return name.ends_with(".png");
}

// Writes a picture the way the recorder does and records it; false when either failed.
bool writeRecorded(PictureRecord& record, const fs::path& folder, const std::string& name)
{
    CreatedFile file;
    return createFileAtomically(folder / name, "picture " + name, fs::perms::owner_read | fs::perms::owner_write,
                                FileFlush::Skip, &file)
        == FileCreation::Created
        && record.add(name, file.identity);
}

// A record of one run that wrote the pictures named.
void recordARun(const fs::path& folder, std::initializer_list<const char*> names)
{
    PictureRecord record(held(folder), isPicture);
    record.removeRecordedPictures();
    for (const char* name : names)
        ASSERT_TRUE(writeRecorded(record, folder, name)) << name;
}

// The kernel stamps change times from a clock that ticks every few milliseconds: a change made
// within the same tick as the write would carry the same time, as a user's never does.
void letTheChangeClockTick()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

fs::path recordIn(const fs::path& folder)
{
    return folder / PictureRecord::FileName;
}
} // namespace

namespace {
// A record of another account's, or one that others may write, names the user's files as easily
// as the program's: nothing is removed then and the record stays as it is.
void expectNotTrusted(const fs::path& folder, const std::optional<std::string>& planted)
{
    LogCapture log;
    PictureRecord next(held(folder), isPicture);
    EXPECT_EQ(next.removeRecordedPictures(), 0u);
    EXPECT_EQ(namesIn(folder).size(), 3u);
    EXPECT_EQ(readFile(recordIn(folder)), planted);
    EXPECT_FALSE(next.isKept());
    EXPECT_TRUE(log.contains("not trusted"));
}
} // namespace

// A record is only as good as who could have written it; the user's own, untouched record clears
// its pictures.
TEST(PictureRecord, IsTrustedOnlyWhenNoOtherAccountCouldHaveWrittenIt)
{
    enum Row { Untouched, GroupWritable, OthersWritable };
    for (const Row row : {Untouched, GroupWritable, OthersWritable}) {
        SCOPED_TRACE("row " + std::to_string(row));
        ScopedDataFolder data;
        const auto folder = data.path() / "shared";
        recordARun(folder, {"0001-Screen.png", "2023-Christmas.png"});
        if (row != Untouched) {
            ASSERT_EQ(::chmod(recordIn(folder).c_str(), row == GroupWritable ? 0620 : 0602), 0);
            expectNotTrusted(folder, readFile(recordIn(folder)));
            continue;
        }
        PictureRecord next(held(folder), isPicture);
        EXPECT_EQ(next.removeRecordedPictures(), 2u);
        EXPECT_EQ(namesIn(folder), std::set<std::string> {std::string(PictureRecord::FileName)});
        EXPECT_TRUE(next.isKept());
    }
}

TEST(PictureRecord, IsNotTrustedWhenAnotherAccountOwnsIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a record of another owner is made only where files can be given away (as root)";
    ScopedDataFolder data;
    const auto folder = data.path() / "shared";
    recordARun(folder, {"0001-Screen.png", "2023-Christmas.png"});
    ASSERT_EQ(::chown(recordIn(folder).c_str(), 4242, 4242), 0);
    expectNotTrusted(folder, readFile(recordIn(folder)));
}

// A picture goes only while it is the very file the run wrote. A copy put back where it stood may
// even be given its freed inode; a file moved into its place, an edit that keeps its size, a
// chmod and a second link are the user's doing all the same.
TEST(PictureRecord, RemovesAPictureOnlyWhileItIsTheVeryFileWritten)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "Pictures";
    recordARun(folder, {"0001-Untouched.png", "0002-Edited.png", "0003-Protected.png", "0004-Restored.png",
                        "0005-Replaced.png", "0006-Linked.png", "0007-Grown.png"});
    letTheChangeClockTick();
    {
        const int fd = ::open((folder / "0002-Edited.png").c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "P", 1, 0), 1); // "picture ..." becomes "Picture ...", at the same size
        ::close(fd);
    }
    ASSERT_EQ(::chmod((folder / "0003-Protected.png").c_str(), 0444), 0);
    fs::copy_file(folder / "0004-Restored.png", data.path() / "backup.png");
    fs::remove(folder / "0004-Restored.png");
    fs::copy_file(data.path() / "backup.png", folder / "0004-Restored.png");
    ASSERT_TRUE(std::ofstream(data.path() / "same-size.png") << "picture 0005-Replaced.png");
    fs::rename(data.path() / "same-size.png", folder / "0005-Replaced.png");
    fs::create_hard_link(folder / "0006-Linked.png", data.path() / "kept-elsewhere.png");
    ASSERT_TRUE(std::ofstream(folder / "0007-Grown.png", std::ios::app) << " and more");

    PictureRecord next(held(folder), isPicture);
    EXPECT_EQ(next.removeRecordedPictures(), 1u);
    const std::set<std::string> kept {std::string(PictureRecord::FileName), "0002-Edited.png", "0003-Protected.png",
                                      "0004-Restored.png", "0005-Replaced.png", "0006-Linked.png", "0007-Grown.png"};
    EXPECT_EQ(namesIn(folder), kept);
    EXPECT_EQ(readFile(folder / "0002-Edited.png"), "Picture 0002-Edited.png");
}

// Each picture adds a line. A record cut short by a power failure loses its last line only, and
// is still told from a file that is no record, such as the form an earlier version wrote: that is
// set aside, nothing removed, and a second one set aside keeps the first.
TEST(PictureRecord, ACutShortRecordLosesOnlyItsLastLineAndNoRecordIsSetAside)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    recordARun(folder, {"0001-A.png", "0002-B.png", "0003-C.png"});
    const auto whole = readFile(recordIn(folder));
    ASSERT_TRUE(whole);
    fs::resize_file(recordIn(folder), whole->size() - 5);
    {
        PictureRecord next(held(folder), isPicture);
        EXPECT_EQ(next.removeRecordedPictures(), 2u);
    }
    EXPECT_TRUE(fs::exists(folder / "0003-C.png"));

    const std::string older = R"({"pictures":[{"inode":1,"name":"0003-C.png","size":20}]})";
    for (const std::string& notARecord : {older, std::string("garbage")}) {
        ASSERT_TRUE(std::ofstream(recordIn(folder)) << notARecord);
        PictureRecord next(held(folder), isPicture);
        EXPECT_EQ(next.removeRecordedPictures(), 0u);
        EXPECT_TRUE(next.isKept());
    }
    EXPECT_TRUE(fs::exists(folder / "0003-C.png"));
    EXPECT_EQ(readFile(recordIn(folder).string() + ".unreadable"), older);
    EXPECT_EQ(readFile(recordIn(folder).string() + ".unreadable-2"), "garbage");
}

namespace {
std::string recordLine(const std::string& name, const FileIdentity& file)
{
    char line[256];
    std::snprintf(line, sizeof line, R"({"name":"%s","device":%llu,"inode":%llu,"size":%lld,"changed":[%lld,%lld]})",
                  name.c_str(), static_cast<unsigned long long>(file.device), static_cast<unsigned long long>(file.inode),
                  static_cast<long long>(file.size), static_cast<long long>(file.changedSeconds),
                  static_cast<long long>(file.changedNanoseconds));
    return line;
}

FileIdentity identityOf(const fs::path& file)
{
    struct stat info {};
    EXPECT_EQ(::lstat(file.c_str(), &info), 0) << file;
    return FileIdentity::of(info);
}
} // namespace

// A trusted record's line removes its file only when every part of the identity matches: the
// same size and change time on another inode, or on another device, is another file.
TEST(PictureRecord, RemovesAFileOnlyOfTheRecordedDeviceAndInode)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    recordARun(folder, {"0001-Exact.png", "0002-OtherInode.png", "0003-OtherDevice.png"});
    auto otherInode = identityOf(folder / "0002-OtherInode.png");
    ++otherInode.inode;
    auto otherDevice = identityOf(folder / "0003-OtherDevice.png");
    ++otherDevice.device;
    const auto header = readFile(recordIn(folder))->substr(0, readFile(recordIn(folder))->find('\n') + 1);
    ASSERT_TRUE(std::ofstream(recordIn(folder)) << header << recordLine("0001-Exact.png", identityOf(folder / "0001-Exact.png"))
                                                << "\n" << recordLine("0002-OtherInode.png", otherInode) << "\n"
                                                << recordLine("0003-OtherDevice.png", otherDevice) << "\n");
    PictureRecord next(held(folder), isPicture);
    EXPECT_EQ(next.removeRecordedPictures(), 1u);
    EXPECT_EQ(namesIn(folder), (std::set<std::string> {std::string(PictureRecord::FileName), "0002-OtherInode.png",
                                                       "0003-OtherDevice.png"}));
}

// Only a file whose first whole line is the header is a record: any other, even one that goes on
// to name a picture exactly, is set aside and removes nothing.
TEST(PictureRecord, AFileWhoseFirstLineIsNotTheHeaderIsSetAsideAndRemovesNothing)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    recordARun(folder, {"0001-A.png"});
    const std::string notARecord =
        "{\n  \"pictures\": []\n}\n" + recordLine("0001-A.png", identityOf(folder / "0001-A.png")) + "\n";
    ASSERT_TRUE(std::ofstream(recordIn(folder)) << notARecord);
    PictureRecord next(held(folder), isPicture);
    EXPECT_EQ(next.removeRecordedPictures(), 0u);
    EXPECT_TRUE(fs::exists(folder / "0001-A.png"));
    EXPECT_EQ(readFile(recordIn(folder).string() + ".unreadable"), notARecord);
}

// However large a record grows through damage, a line far longer than any it writes ends its
// reading: the lines before it still count, and a file that is no record is set aside at once. A
// start never waits while a huge file is read to its end.
TEST(PictureRecord, AHugeLineEndsTheReadingAtOnce)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    constexpr std::uintmax_t Huge = std::uintmax_t(64) << 30; // sparse, and without a line end
    const auto removeRecorded = [&folder] {
        const auto started = std::chrono::steady_clock::now();
        PictureRecord next(held(folder), isPicture);
        const auto removed = next.removeRecordedPictures();
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
        return removed;
    };
    recordARun(folder, {"0001-A.png", "0002-B.png"});
    fs::resize_file(recordIn(folder), Huge);
    EXPECT_EQ(removeRecorded(), 2u);

    recordARun(folder, {"0003-C.png"});
    std::ofstream(recordIn(folder), std::ios::trunc).close();
    fs::resize_file(recordIn(folder), Huge);
    EXPECT_EQ(removeRecorded(), 0u);
    EXPECT_TRUE(fs::exists(folder / "0003-C.png"));
    EXPECT_EQ(fs::file_size(recordIn(folder).string() + ".unreadable"), Huge);
}

// The bound on a line is near the longest a record writes: a line of a few KiB already ends the
// reading, so the picture before it goes and the one after it stays.
TEST(PictureRecord, ALineOfAFewKilobytesEndsTheReading)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    recordARun(folder, {"0001-Before.png", "0002-After.png"});
    const auto whole = readFile(recordIn(folder));
    ASSERT_TRUE(whole);
    ASSERT_TRUE(std::ofstream(recordIn(folder))
                << whole->substr(0, whole->find('\n') + 1)
                << recordLine("0001-Before.png", identityOf(folder / "0001-Before.png")) << "\n"
                << std::string(5 * 1024, 'x') << "\n"
                << recordLine("0002-After.png", identityOf(folder / "0002-After.png")) << "\n");
    PictureRecord next(held(folder), isPicture);
    EXPECT_EQ(next.removeRecordedPictures(), 1u);
    EXPECT_EQ(namesIn(folder), (std::set<std::string> {std::string(PictureRecord::FileName), "0002-After.png"}));
}

// After a short write the record is not appended to again: the part of a line it left stays the
// last one, which a reader passes over, and no later line is lost behind it unseen.
TEST(PictureRecord, StopsRecordingAfterAShortWrite)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    PictureRecord record(held(folder), isPicture);
    record.removeRecordedPictures();
    std::map<std::string, FileIdentity> pictures;
    for (const char* name : {"0001-A.png", "0002-B.png", "0003-C.png"}) {
        CreatedFile file;
        ASSERT_EQ(createFileAtomically(folder / name, name, fs::perms::owner_read | fs::perms::owner_write,
                                       FileFlush::Skip, &file),
                  FileCreation::Created);
        pictures[name] = file.identity;
    }
    ASSERT_TRUE(record.add("0001-A.png", pictures["0001-A.png"]));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit lowered = before;
    lowered.rlim_cur = fs::file_size(recordIn(folder)) + 10;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lowered), 0);
    const bool cutShort = record.add("0002-B.png", pictures["0002-B.png"]);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);
    EXPECT_FALSE(cutShort);
    EXPECT_FALSE(record.add("0003-C.png", pictures["0003-C.png"]));
    EXPECT_FALSE(record.isKept());

    PictureRecord next(held(folder), isPicture);
    EXPECT_EQ(next.removeRecordedPictures(), 1u);
    EXPECT_EQ(namesIn(folder), (std::set<std::string> {std::string(PictureRecord::FileName), "0002-B.png", "0003-C.png"}));
}

// The record cleared is the one read: a file put at its name while it was being read stays.
TEST(PictureRecord, ClearsTheRecordItReadAndNotOnePutInItsPlace)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    recordARun(folder, {"0001-A.png"});
    const std::string planted = "put here meanwhile";
    bool swapped = false;
    PictureRecord next(held(folder), [&](std::string_view name) {
        if (!swapped) {
            swapped = true;
            std::ofstream(data.path() / "planted") << planted;
            fs::rename(data.path() / "planted", recordIn(folder));
        }
        return isPicture(name);
    });
    EXPECT_EQ(next.removeRecordedPictures(), 1u);
    EXPECT_TRUE(swapped);
    EXPECT_EQ(readFile(recordIn(folder)), planted);
    EXPECT_FALSE(next.isKept());
}

// The held folder is the one cleared and recorded in: a folder renamed away during the removal,
// with a link to another folder of the user's with the same names put in its place, loses the
// pictures, and the other folder keeps its files and gets no record.
TEST(PictureRecord, RemovesAndRecordsInTheFolderItHoldsWhenItsPathIsSwapped)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    const auto decoy = data.path() / "Pictures";
    fs::create_directories(decoy);
    recordARun(folder, {"0001-A.png", "0002-B.png"});
    for (const char* name : {"0001-A.png", "0002-B.png"})
        ASSERT_TRUE(std::ofstream(decoy / name) << "the user's");
    OpenFolder::setBeforeRemovalForTesting([&] {
        if (!fs::is_symlink(folder)) {
            fs::rename(folder, data.path() / "moved");
            fs::create_directory_symlink(decoy, folder);
        }
    });
    PictureRecord next(held(folder), isPicture);
    const auto removed = next.removeRecordedPictures();
    OpenFolder::setBeforeRemovalForTesting({});
    EXPECT_EQ(removed, 2u);
    EXPECT_TRUE(next.isKept());
    EXPECT_EQ(namesIn(data.path() / "moved"), std::set<std::string> {std::string(PictureRecord::FileName)});
    EXPECT_EQ(namesIn(decoy), (std::set<std::string> {"0001-A.png", "0002-B.png"}));
}

// A record that gains another link while a run writes it (a folder copied with hard links, say)
// is not appended to again: what the other name holds stays exactly as it was.
TEST(PictureRecord, StopsRecordingOnceTheRecordHasAnotherLink)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    PictureRecord record(held(folder), isPicture);
    record.removeRecordedPictures();
    ASSERT_TRUE(writeRecorded(record, folder, "0001-A.png"));
    const auto copy = data.path() / "copied-record";
    fs::create_hard_link(recordIn(folder), copy);
    const auto copied = readFile(copy);
    LogCapture log;
    EXPECT_FALSE(writeRecorded(record, folder, "0002-B.png"));
    EXPECT_FALSE(record.isKept());
    EXPECT_EQ(readFile(copy), copied);
    EXPECT_TRUE(log.contains("0002-B.png in " + folder.string() + ": it has another link"));

    // A record removed while the run writes is said to be so, not to have another link.
    PictureRecord next(held(folder), isPicture);
    next.removeRecordedPictures();
    fs::remove(recordIn(folder));
    EXPECT_FALSE(writeRecorded(next, folder, "0003-C.png"));
    EXPECT_TRUE(log.contains("0003-C.png in " + folder.string() + ": it was removed"));
}
