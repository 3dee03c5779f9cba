#include "platform/foundation/Paths.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr uid_t AnotherAccount = 65534;

// The shell words that run a command as the account, with its own group and besides it the groups
// given ("4251,4252"), else no other (none for the running account; as root, another account's
// commands are made with setpriv).
std::string as(uid_t account, const std::string& groups = "")
{
    if (account == ::geteuid())
        return "";
    return "setpriv --reuid=" + std::to_string(account) + " --regid=" + std::to_string(account)
        + (groups.empty() ? " --clear-groups " : " --groups=" + groups + " ");
}

// A run writing the screen into screens, as the account given (as root, another account's runs are
// made with setpriv) under the file-creation mask given: its exit status, with what it said.
std::pair<int, std::string> runAs(uid_t account, const fs::path& data, const fs::path& screens,
                                  const std::string& mask = "022", const std::string& groups = "")
{
    const auto messages = data.parent_path() / (data.filename().string() + "-messages");
    const std::string run = "umask " + mask + " && " + as(account, groups) + "timeout 60 " + FLOORPAD_PROGRAM + " --data-dir '" + data.string()
        + "' --screens '" + screens.string() + "' --seconds 0.5 --setting Server_Port=1 >'" + messages.string()
        + "' 2>&1";
    const int status = std::system(run.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(messages).value_or("")};
}

// The pictures in folder that the account owns.
std::set<std::string> picturesOf(uid_t account, const fs::path& folder)
{
    std::set<std::string> pictures;
    for (const auto& name : namesIn(folder)) {
        struct stat info {};
        if (name.ends_with(".png") && ::lstat((folder / name).c_str(), &info) == 0 && info.st_uid == account)
            pictures.insert(name);
    }
    return pictures;
}

// Another account's data folder (700) and a folder of its alone for pictures (755), in scratch,
// which every account may write so that each run leaves its messages there.
std::pair<fs::path, fs::path> anotherAccountsFolders(const fs::path& scratch)
{
    EXPECT_EQ(::chmod(scratch.c_str(), 0777), 0);
    const auto data = scratch / "their-data";
    const auto pictures = scratch / "theirs";
    for (const auto& [folder, mode] : {std::pair(data, 0700), std::pair(pictures, 0755)}) {
        fs::create_directories(folder);
        EXPECT_EQ(::chown(folder.c_str(), AnotherAccount, AnotherAccount), 0);
        EXPECT_EQ(::chmod(folder.c_str(), mode), 0);
    }
    return {data, pictures};
}
} // namespace

// A screens folder several accounts may write, a sticky one all may write or a group's, serves
// each account's run once the other's has ended, each with its pictures, and none of them lost.
TEST(Program, AccountsSharingAScreensFolderEachRunInTurn)
{
    if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder scratch;
    ASSERT_EQ(::chmod(scratch.path().c_str(), 0777), 0); // the other account writes its messages there
    const auto theirData = scratch.path() / "their-data";
    fs::create_directories(theirData);
    ASSERT_EQ(::chown(theirData.c_str(), AnotherAccount, AnotherAccount), 0);
    ASSERT_EQ(::chmod(theirData.c_str(), 0700), 0);
    const auto sticky = scratch.path() / "team";
    const auto group = scratch.path() / "group";
    fs::create_directories(sticky);
    fs::create_directories(group);
    ASSERT_EQ(::chmod(sticky.c_str(), 01777), 0);
    ASSERT_EQ(::chown(group.c_str(), 0, AnotherAccount), 0);
    ASSERT_EQ(::chmod(group.c_str(), 02775), 0);
    for (const auto& folder : {sticky, group}) {
        SCOPED_TRACE(folder.filename().string());
        const auto mine = runAs(0, scratch.path() / "my-data", folder, "002");
        EXPECT_EQ(mine.first, 0) << mine.second;
        const auto myPictures = picturesOf(0, folder);
        EXPECT_FALSE(myPictures.empty());
        for (int run = 1; run <= 2; ++run) {
            const auto theirs = runAs(AnotherAccount, theirData, folder, "002");
            EXPECT_EQ(theirs.first, 0) << "their run " << run << ": " << theirs.second;
        }
        EXPECT_FALSE(picturesOf(AnotherAccount, folder).empty());
        EXPECT_EQ(picturesOf(0, folder), myPictures);
        const auto again = runAs(0, scratch.path() / "my-data", folder, "002");
        EXPECT_EQ(again.first, 0) << again.second;
        EXPECT_FALSE(picturesOf(AnotherAccount, folder).empty());
    }
}

// Neither a file of the user's linked in under the lock's name nor a screens folder copied with
// hard links loses a byte to a run: a run never writes what has another link. The copy and its
// original each serve a run in turn.
TEST(Program, LeavesFilesWithOtherLinksInTheScreensFolderAsTheyWere)
{
    ScopedDataFolder scratch;
    const auto notes = scratch.path() / "notes.txt";
    ASSERT_TRUE(std::ofstream(notes) << "my precious notes\n");
    fs::permissions(notes, fs::perms(0600));
    fs::create_directories(scratch.path() / "s2");
    fs::create_hard_link(notes, scratch.path() / "s2/.floorpad-screens.lock");
    const auto ran = runAs(::geteuid(), scratch.path() / "data", scratch.path() / "s2");
    EXPECT_EQ(ran.first, 0) << ran.second;
    EXPECT_EQ(readFile(notes), "my precious notes\n");

    const auto shots = scratch.path() / "shots";
    const auto backup = scratch.path() / "backup";
    const auto first = runAs(::geteuid(), scratch.path() / "data", shots);
    ASSERT_EQ(first.first, 0) << first.second;
    ASSERT_EQ(std::system(("cp -al '" + shots.string() + "' '" + backup.string() + "'").c_str()), 0);
    std::map<std::string, std::string> copied;
    for (const auto& name : namesIn(backup))
        copied[name] = readFile(backup / name).value_or("(unreadable)");
    const auto onTheCopy = runAs(::geteuid(), scratch.path() / "data", backup);
    EXPECT_EQ(onTheCopy.first, 0) << onTheCopy.second;
    for (const auto& [name, bytes] : copied)
        EXPECT_EQ(readFile(shots / name), bytes) << "the run on the copy changed the original's " << name;
    const auto onTheOriginal = runAs(::geteuid(), scratch.path() / "data", shots);
    EXPECT_EQ(onTheOriginal.first, 0) << onTheOriginal.second;
}

// Root's run in a folder only another account may write leaves that account able to run there: the
// lock and the list of pictures it makes there are that account's, so the account's next run goes
// ahead and clears the pictures listed.
TEST(Program, ARunInAFolderOnlyAnotherAccountMayWriteLeavesItThatAccounts)
{
    if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder scratch;
    const auto [theirData, theirs] = anotherAccountsFolders(scratch.path());
    const auto mine = runAs(0, scratch.path() / "my-data", theirs);
    ASSERT_EQ(mine.first, 0) << mine.second;
    ASSERT_FALSE(picturesOf(0, theirs).empty());
    for (const char* name : {".floorpad-screens.lock", ".floorpad-screens.json"}) {
        struct stat info {};
        ASSERT_EQ(::lstat((theirs / name).c_str(), &info), 0) << name;
        EXPECT_EQ(info.st_uid, AnotherAccount) << name;
        EXPECT_EQ(info.st_mode & 07777, 0600u) << name;
    }
    const auto after = runAs(AnotherAccount, theirData, theirs);
    EXPECT_EQ(after.first, 0) << after.second;
    EXPECT_TRUE(picturesOf(0, theirs).empty());
    EXPECT_FALSE(picturesOf(AnotherAccount, theirs).empty());
}

// Root's run gives away nothing of root's that stands at the lock's name in an account's folder,
// whether the program or the folder holder locks it: a file with root's words stays root's and
// closed, and so does an empty file that root's process holds open and writes later: what root
// writes into it stays closed to the account, which is told it may move it aside, never remove it.
TEST(Program, RootsRunGivesAwayNoFileOfRootsAtTheLocksName)
{
    if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder scratch;
    const auto [theirData, theirs] = anotherAccountsFolders(scratch.path());
    const auto lock = theirs / ".floorpad-screens.lock";
    const std::string words = "root's words\n";
    for (const bool emptyWhileLocked : {false, true}) {
        SCOPED_TRACE(emptyWhileLocked ? "empty while locked" : "with words");
        // Root's log, open in root's process; the account renames it to the lock's name.
        const auto log = theirs / "root.log";
        const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        ASSERT_GE(logFd, 0);
        if (!emptyWhileLocked) {
            ASSERT_EQ(::write(logFd, words.data(), words.size()), static_cast<ssize_t>(words.size()));
        }
        const std::string rename = as(AnotherAccount) + "mv '" + log.string() + "' '" + lock.string() + "'";
        ASSERT_EQ(std::system(rename.c_str()), 0);
        const auto mine = runAs(0, scratch.path() / "my-data", theirs);
        EXPECT_EQ(mine.first, 0) << mine.second;
        const std::string held = std::string(HOLD_SCREENS_FOLDER_PROGRAM) + " --no-links '" + theirs.string() + "' true";
        EXPECT_EQ(std::system(held.c_str()), 0);
        if (emptyWhileLocked) {
            ASSERT_EQ(::write(logFd, words.data(), words.size()), static_cast<ssize_t>(words.size()));
        }
        ::close(logFd);
        struct stat info {};
        ASSERT_EQ(::lstat(lock.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 0u) << "root's file was given away";
        EXPECT_EQ(info.st_mode & 07777, 0600u) << "root's file was opened up";
        EXPECT_EQ(readFile(lock), words);
        const auto after = runAs(AnotherAccount, theirData, theirs);
        EXPECT_EQ(after.first, 1);
        EXPECT_NE(after.second.find("another account's (uid 0)"), std::string::npos) << after.second;
        // What root's file holds is unknown to the account, which may move it aside in its own folder.
        EXPECT_NE(after.second.find("this account may move it aside within this folder (to .floorpad-screens.lock.moved, "
                                    "say), which keeps it whole where its owner reaches it"),
                  std::string::npos)
            << after.second;
        EXPECT_EQ(after.second.find("remove"), std::string::npos) << after.second;
        ASSERT_EQ(::unlink(lock.c_str()), 0);
    }
}

// An empty lock of root's that an earlier version left in an account's own folder stays root's
// through root's run, and the account is told it may remove it: once it has, its next run makes its
// own lock and goes ahead.
TEST(Program, AnEarlierVersionsLockOfRootsIsTheAccountsToRemove)
{
    if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    ScopedDataFolder scratch;
    const auto [theirData, theirs] = anotherAccountsFolders(scratch.path());
    const auto lock = theirs / ".floorpad-screens.lock";
    ASSERT_TRUE(std::ofstream(lock));
    ASSERT_EQ(::chmod(lock.c_str(), 0600), 0);
    const auto mine = runAs(0, scratch.path() / "my-data", theirs);
    EXPECT_EQ(mine.first, 0) << mine.second;
    struct stat info {};
    ASSERT_EQ(::lstat(lock.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 0u);
    const auto refused = runAs(AnotherAccount, theirData, theirs);
    EXPECT_EQ(refused.first, 1);
    EXPECT_NE(refused.second.find("this account may remove it, and the next run makes its own"), std::string::npos)
        << refused.second;
    const std::string remove = as(AnotherAccount) + "rm '" + lock.string() + "'";
    ASSERT_EQ(std::system(remove.c_str()), 0);
    const auto after = runAs(AnotherAccount, theirData, theirs);
    EXPECT_EQ(after.first, 0) << after.second;
    ASSERT_EQ(::lstat(lock.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, AnotherAccount);
}

// A run never shares a folder with a live run whose lock it cannot open: the account's folder given
// to its group while the account's run holds it turns a member's run away as held, with nothing to
// move. Once that run has ended, the member is told to move the lock aside within the folder; done
// so, the member's run holds the folder and the account still reads its file.
TEST(Program, ARunNeverSharesAFolderWithALiveRunWhoseLockItCannotOpen)
{
    if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "another account's runs are made only where the test can become one (as root)";
    constexpr uid_t Member = AnotherAccount - 1;
    const std::string group = "4251";
    ScopedDataFolder scratch;
    const auto [theirData, theirs] = anotherAccountsFolders(scratch.path());
    ASSERT_EQ(::chmod(theirs.c_str(), 0700), 0);
    const auto memberData = scratch.path() / "member-data";
    fs::create_directories(memberData);
    ASSERT_EQ(::chown(memberData.c_str(), Member, Member), 0);
    ASSERT_EQ(::chmod(memberData.c_str(), 0700), 0);
    const auto lock = theirs / ".floorpad-screens.lock";
    const auto ready = scratch.path() / "ready", release = scratch.path() / "release", ended = scratch.path() / "ended";
    // The account's run holds its folder and gives it to the group meanwhile; it lets go once
    // released, or after 30 seconds whatever happens.
    const std::string holder = "(" + as(AnotherAccount, group) + HOLD_SCREENS_FOLDER_PROGRAM + " '" + theirs.string()
        + "' sh -c 'chgrp " + group + " . && chmod 2770 . && : >\"$0\" && i=0 && while [ ! -e \"$1\" ] && "
          "[ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done' '" + ready.string() + "' '" + release.string()
        + "'; : >'" + ended.string() + "') >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(holder.c_str()), 0);
    const auto waitFor = [](const fs::path& file) {
        for (int i = 0; i < 600 && !fs::exists(file); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return fs::exists(file);
    };
    const bool held = waitFor(ready);
    const auto refused = runAs(Member, memberData, theirs, "022", group);
    ASSERT_TRUE(std::ofstream(release));
    ASSERT_TRUE(waitFor(ended)) << "the holder did not end";
    ASSERT_TRUE(held) << "the account's run did not hold its folder and give it to the group";
    EXPECT_EQ(refused.first, 1) << refused.second;
    EXPECT_NE(refused.second.find("another run is using it: process "), std::string::npos) << refused.second;
    EXPECT_NE(refused.second.find(" of another account (uid " + std::to_string(AnotherAccount) + ") holds "
                                  + lock.string()),
              std::string::npos)
        << refused.second;
    EXPECT_EQ(refused.second.find("move it"), std::string::npos) << refused.second;

    const auto after = runAs(Member, memberData, theirs, "022", group);
    EXPECT_EQ(after.first, 1) << after.second;
    const std::string aside = ".floorpad-screens.lock.moved";
    EXPECT_NE(after.second.find("this account may move it aside within this folder (to " + aside + ", say)"),
              std::string::npos)
        << after.second;
    const std::string move = as(Member, group) + "mv '" + lock.string() + "' '" + (theirs / aside).string() + "'";
    ASSERT_EQ(std::system(move.c_str()), 0);
    const auto mine = runAs(Member, memberData, theirs, "022", group);
    EXPECT_EQ(mine.first, 0) << mine.second;
    const std::string read = as(AnotherAccount) + "cat '" + (theirs / aside).string() + "' >/dev/null";
    EXPECT_EQ(std::system(read.c_str()), 0) << "the account cannot read its file where it was moved";
}
