#include "app/PictureRecord.h"
#include "app/ScreenRecorder.h"
#include "platform/foundation/FolderLock.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/UIColor.h"
#include "platform/ui/UIApplication.h"
#include "platform/ui/UIWindow.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

// However often it captures, the recorder writes a screen again only when its pixels differ
// from the file it wrote last, and every capture it counts is a file.
TEST(ScreenRecorder, WritesTheScreenOnlyWhenItsPixelsChange)
{
    ScopedDataFolder data;
    auto window = UIWindow::create(CGRectMake(0, 0, 1024, 768));
    window->setBackgroundColor(UIColor::blueColor());
    window->makeKeyAndVisible();
    ScreenRecorder recorder(data.path() / "screens");
    EXPECT_EQ(recorder.filesWritten(), 1);
    const std::pair<UIColorPtr, int> steps[] = {
        {UIColor::blueColor(), 1}, {UIColor::greenColor(), 2}, {UIColor::greenColor(), 2}, {UIColor::blueColor(), 3}};
    for (const auto& [color, written] : steps) {
        window->setBackgroundColor(color);
        recorder.capture();
        EXPECT_EQ(recorder.filesWritten(), written);
    }
    // A single pixel a shade off is a change too.
    auto dot = UIView::create(CGRectMake(500, 300, 1, 1));
    dot->setBackgroundColor(UIColor::colorWithRed(0, 0, 0.99, 1));
    window->addSubview(dot);
    recorder.capture();
    EXPECT_EQ(recorder.filesWritten(), 4);
    // Beside the pictures, only their record and the lock.
    const auto files = std::distance(std::filesystem::directory_iterator(recorder.folder()), {});
    EXPECT_EQ(files, recorder.filesWritten() + 2);

    // A folder that cannot be written counts nothing.
    ASSERT_TRUE(std::ofstream(data.path() / "file") << "not a folder");
    ScreenRecorder blocked(data.path() / "file" / "screens");
    EXPECT_EQ(blocked.filesWritten(), 0);
    UIApplication::sharedApplication().resetForTesting();
}

namespace shown {
class Screen : public UIViewController {};
} // namespace shown

// The folder is the user's to name, and people number their own pictures too. The recorder
// replaces nothing there, not even a file made meanwhile under the very name it would write next;
// as it starts it removes only the pictures its record names, and those only while they are still
// what it wrote; and no file goes by its name alone, not even one named as its own killed writes
// would leave. Its count starts after the highest one among the names it finds.
TEST(ScreenRecorder, TouchesOnlyWhatItWroteInTheFolder)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    std::filesystem::create_directories(folder / "0009-shown__Screen.png");
    const std::set<std::string> users {"0001-shown__Screen.png", "2023-Christmas.jpg", "0042-scan.png",
                                       "notes.tmp-999999999", "0005-Old.png.tmp-999999999-abc123",
                                       "0002-shown__Screen.png.tmp-999999999-abc123"};
    for (const auto& name : users)
        ASSERT_TRUE(std::ofstream(folder / name) << "mine");
    auto window = UIWindow::create(CGRectMake(0, 0, 64, 48));
    auto screen = std::make_shared<shown::Screen>();
    window->setRootViewController(screen);
    window->makeKeyAndVisible();
    {
        ScreenRecorder recorder(folder);
        ASSERT_TRUE(std::ofstream(folder / "0044-shown__Screen.png") << "mine");
        for (const auto& color : {UIColor::greenColor(), UIColor::blueColor()}) {
            screen->view()->setBackgroundColor(color);
            recorder.capture();
        }
        EXPECT_EQ(recorder.filesWritten(), 3);
    }
    auto expected = users;
    expected.insert({"0009-shown__Screen.png", std::string(PictureRecord::FileName), std::string(FolderLock::LockName),
                     "0043-shown__Screen.png", "0044-shown__Screen.png", "0045-shown__Screen.png",
                     "0046-shown__Screen.png"});
    EXPECT_EQ(namesIn(folder), expected);
    EXPECT_EQ(readFile(folder / "0001-shown__Screen.png"), "mine");
    EXPECT_EQ(readFile(folder / "0044-shown__Screen.png"), "mine");

    // Since then the user changed one picture and put a link in another's place.
    ASSERT_TRUE(std::ofstream(folder / "0045-shown__Screen.png", std::ios::app) << "mine");
    std::filesystem::remove(folder / "0046-shown__Screen.png");
    std::filesystem::create_symlink("2023-Christmas.jpg", folder / "0046-shown__Screen.png");
    window->setRootViewController(nullptr);
    {
        ScreenRecorder recorder(folder);
        EXPECT_EQ(recorder.filesWritten(), 1);
    }
    expected.erase("0043-shown__Screen.png");
    expected.insert("0047-NoScreen.png");
    EXPECT_EQ(namesIn(folder), expected);
    EXPECT_EQ(readFile(folder / "2023-Christmas.jpg"), "mine");

    // A record that is no record removes nothing; it is moved aside, not lost.
    ASSERT_TRUE(std::ofstream(folder / PictureRecord::FileName) << "[\"0047-NoScreen.png\"]");
    {
        ScreenRecorder recorder(folder);
    }
    EXPECT_TRUE(std::filesystem::exists(folder / "0047-NoScreen.png"));
    EXPECT_EQ(readFile(folder / (std::string(PictureRecord::FileName) + ".unreadable")), "[\"0047-NoScreen.png\"]");
    UIApplication::sharedApplication().resetForTesting();
}

// Pictures an earlier run left that this one may not remove (their record set aside, say) take
// names, however many, but never cost this run a picture.
TEST(ScreenRecorder, NamesTakenBeforeItStartedCostNoPicture)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    fs::create_directories(folder);
    for (int count = 1; count <= 1500; ++count) {
        char name[32];
        std::snprintf(name, sizeof name, "%04d-NoScreen.png", count);
        ASSERT_TRUE(std::ofstream(folder / name) << "earlier");
    }
    // A count no run comes near is never in the way, and the next one would not fit.
    ASSERT_TRUE(std::ofstream(folder / "2147483647-NoScreen.png") << "the user's");
    const auto window = UIWindow::create(CGRectMake(0, 0, 64, 48));
    window->makeKeyAndVisible();
    {
        ScreenRecorder recorder(folder);
        EXPECT_EQ(recorder.filesWritten(), 1);
        EXPECT_EQ(recorder.filesNotWritten(), 0);
    }
    EXPECT_TRUE(fs::exists(folder / "1501-NoScreen.png"));
    EXPECT_EQ(readFile(folder / "1500-NoScreen.png"), "earlier");
    UIApplication::sharedApplication().resetForTesting();
}

TEST(ScreenRecorder, NamesItsPicturesByCountAndScreen)
{
    for (const char* name : {"0001-Screen.png", "9999-Screen_2.png", "10000-Screen.png"})
        EXPECT_TRUE(ScreenRecorder::isPictureName(name)) << name;
    for (const char* name : {"0000-Screen.png", "001-Screen.png", "01000-Screen.png", "0001-.png", "0001-My Screen.png",
                             "0001-Screen.png.bak", "0001-Screen.PNG", "x0001-Screen.png", "0001-Sc-reen.png"})
        EXPECT_FALSE(ScreenRecorder::isPictureName(name)) << name;
}

namespace {
std::shared_ptr<UIWindow> smallWindowShown()
{
    auto window = UIWindow::create(CGRectMake(0, 0, 64, 48));
    window->makeKeyAndVisible();
    return window;
}

// Colours the window in turn and captures after each: one picture each.
void showColours(UIWindow& window, ScreenRecorder& recorder, std::initializer_list<UIColorPtr> colours)
{
    for (const auto& colour : colours) {
        window.setBackgroundColor(colour);
        recorder.capture();
    }
}
} // namespace

// A folder renamed while a run writes into it (and another made at its old path) keeps all of the
// run's pictures, and its record lists them all; the new folder gets nothing.
TEST(ScreenRecorder, KeepsWritingIntoItsFolderWhenTheFolderIsRenamed)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    const auto window = smallWindowShown();
    {
        ScreenRecorder recorder(folder);
        showColours(*window, recorder, {UIColor::greenColor()});
        fs::rename(folder, data.path() / "screens.old");
        fs::create_directories(folder);
        showColours(*window, recorder, {UIColor::blueColor(), UIColor::redColor()});
        EXPECT_EQ(recorder.filesWritten(), 4);
        EXPECT_EQ(recorder.filesNotWritten(), 0);
    }
    EXPECT_TRUE(namesIn(folder).empty());
    EXPECT_EQ(namesIn(data.path() / "screens.old").size(), 6u); // four pictures, their record, the lock
    PictureRecord next(std::make_shared<const OpenFolder>(OpenFolder::open(data.path() / "screens.old", OpenFolder::Links::Follow)),
                       ScreenRecorder::isPictureName);
    EXPECT_EQ(next.removeRecordedPictures(), 4u);
    UIApplication::sharedApplication().resetForTesting();
}

// A folder removed while a run writes takes the run's pictures with it: every later one fails,
// with the system's reason, and is counted.
TEST(ScreenRecorder, CountsEveryPictureAfterItsFolderIsRemovedAsNotWritten)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    const auto window = smallWindowShown();
    ScreenRecorder recorder(folder);
    fs::remove_all(folder);
    LogCapture log;
    showColours(*window, recorder, {UIColor::greenColor(), UIColor::blueColor()});
    EXPECT_EQ(recorder.filesWritten(), 1);
    EXPECT_EQ(recorder.filesNotWritten(), 2);
    EXPECT_TRUE(log.contains("could not write the screen into " + folder.string() + ": " + std::strerror(ENOENT)));
    EXPECT_FALSE(fs::exists(folder));
    UIApplication::sharedApplication().resetForTesting();
}

// A recorder given a folder that another run holds writes nothing there and removes nothing.
TEST(ScreenRecorder, WritesAndRemovesNothingInAFolderItDoesNotHold)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    const auto window = smallWindowShown();
    {
        ScreenRecorder first(folder);
        showColours(*window, first, {UIColor::greenColor()});
    }
    const auto before = namesIn(folder);
    const auto record = readFile(folder / PictureRecord::FileName);
    FolderLock other(folder);
    ASSERT_TRUE(other.isHeld());
    ScreenRecorder refused(folder);
    showColours(*window, refused, {UIColor::blueColor(), UIColor::redColor()});
    EXPECT_EQ(refused.filesWritten(), 0);
    EXPECT_EQ(namesIn(folder), before);
    EXPECT_EQ(readFile(folder / PictureRecord::FileName), record);
    UIApplication::sharedApplication().resetForTesting();
}

// Pictures are made as the user makes files, under the file-creation mask; the record stays
// the user's alone. A screen that cannot be written is counted, with the system's reason.
TEST(ScreenRecorder, WritesUnderTheUsersMaskAndCountsWhatItCouldNotWrite)
{
    ScopedDataFolder data;
    const auto folder = data.path() / "screens";
    const auto window = smallWindowShown();
    const mode_t before = ::umask(077);
    {
        ScreenRecorder recorder(folder);
        showColours(*window, recorder, {UIColor::greenColor()});
    }
    const auto modeOf = [&folder](const std::string& name) {
        return static_cast<unsigned>(fs::status(folder / name).permissions() & fs::perms::all);
    };
    EXPECT_EQ(modeOf("0001-NoScreen.png"), 0600u) << "written under umask 077";
    ::umask(022);
    {
        ScreenRecorder recorder(folder);
        LogCapture log;
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        rlimit lowered = limit;
        lowered.rlim_cur = 1024; // far below a picture
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lowered), 0);
        showColours(*window, recorder, {UIColor::blueColor(), UIColor::redColor()});
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        EXPECT_EQ(recorder.filesNotWritten(), 2);
        EXPECT_TRUE(log.contains("could not write the screen into " + folder.string() + ": " + std::strerror(EFBIG)));
        showColours(*window, recorder, {UIColor::greenColor()});
        EXPECT_EQ(recorder.filesNotWritten(), 2);
    }
    ::umask(before);
    // The second run wrote the screen it found at its start anew, and nothing after.
    EXPECT_EQ(namesIn(folder), (std::set<std::string> {"0001-NoScreen.png", std::string(PictureRecord::FileName),
                                                        std::string(FolderLock::LockName)}));
    EXPECT_EQ(modeOf("0001-NoScreen.png"), 0644u) << "written under umask 022";
    EXPECT_EQ(modeOf(std::string(PictureRecord::FileName)), 0600u);
    UIApplication::sharedApplication().resetForTesting();
}
