#include "app/PictureRecord.h"
#include "platform/foundation/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
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
    PictureRecord record(folder, isPicture);
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

// A record is only as good as who could have written it: one of another account's, or one that
// others may write, names the user's files as easily as the program's. Nothing is removed then and
// the record stays as it is; the user's own, untouched record clears its pictures.
TEST(PictureRecord, IsTrustedOnlyWhenNoOtherAccountCouldHaveWrittenIt)
{
    enum Row { Untouched, AnotherOwner, GroupWritable, OthersWritable };
    for (const Row row : {Untouched, AnotherOwner, GroupWritable, OthersWritable}) {
        if (row == AnotherOwner && ::geteuid() != 0) {
            std::printf("a record of another owner is checked only where files can be given away (as root)\n");
            continue;
        }
        ScopedDataFolder data;
        const auto folder = data.path() / "shared";
        recordARun(folder, {"0001-Screen.png", "2023-Christmas.png"});
        if (row == AnotherOwner) {
            ASSERT_EQ(::chown(recordIn(folder).c_str(), 4242, 4242), 0);
        } else if (row != Untouched) {
            ASSERT_EQ(::chmod(recordIn(folder).c_str(), row == GroupWritable ? 0620 : 0602), 0);
        }
        const auto planted = readFile(recordIn(folder));

        LogCapture log;
        PictureRecord next(folder, isPicture);
        EXPECT_EQ(next.removeRecordedPictures(), row == Untouched ? 2u : 0u) << "row " << row;
        if (row == Untouched) {
            EXPECT_EQ(namesIn(folder), std::set<std::string> {std::string(PictureRecord::FileName)});
            EXPECT_TRUE(next.isKept());
            continue;
        }
        EXPECT_EQ(namesIn(folder).size(), 3u) << "row " << row;
        EXPECT_EQ(readFile(recordIn(folder)), planted) << "row " << row;
        EXPECT_FALSE(next.isKept()) << "row " << row;
        EXPECT_TRUE(log.contains("not trusted")) << "row " << row;
    }
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

    PictureRecord next(folder, isPicture);
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
        PictureRecord next(folder, isPicture);
        EXPECT_EQ(next.removeRecordedPictures(), 2u);
    }
    EXPECT_TRUE(fs::exists(folder / "0003-C.png"));

    const std::string older = R"({"pictures":[{"inode":1,"name":"0003-C.png","size":20}]})";
    for (const std::string& notARecord : {older, std::string("garbage")}) {
        ASSERT_TRUE(std::ofstream(recordIn(folder)) << notARecord);
        PictureRecord next(folder, isPicture);
        EXPECT_EQ(next.removeRecordedPictures(), 0u);
        EXPECT_TRUE(next.isKept());
    }
    EXPECT_TRUE(fs::exists(folder / "0003-C.png"));
    EXPECT_EQ(readFile(recordIn(folder).string() + ".unreadable"), older);
    EXPECT_EQ(readFile(recordIn(folder).string() + ".unreadable-2"), "garbage");
}
