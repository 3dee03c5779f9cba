#include "image/DiskFiles.h"
#include "image/ImageCache.h"
#include "image/UIImageGIF.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/ImageSurface.h"
#include "platform/graphics/PixelLimits.h"
#include "platform/graphics/UIImage.h"
#include "platform/ui/MemoryWarningMonitor.h"
#include "platform/ui/UIApplication.h"

#include "tests/image/ImageTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HostilePictures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

static std::atomic<int> flushes {0};

// Counts the flushes to disk of this program on their way to the C library.
extern "C" int fsync(int fd)
{
    ++flushes;
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}

namespace {
void age(const fs::path& path, double seconds)
{
    const timespec when {static_cast<time_t>(DiskFiles::now() - seconds), 0};
    const timespec times[2] {when, when};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

constexpr double MonthSeconds = 30 * 86400;

// A folder of the user's (mode 755) with a photo a month old in it, past every clean's age.
void makeUsersFolder(const fs::path& folder)
{
    fs::create_directories(folder);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    ASSERT_TRUE(writeFileAtomically(folder / "photo.jpg", testPicture("photo.jpg")));
    age(folder / "photo.jpg", MonthSeconds);
}

void expectUsersFolderUntouched(const fs::path& folder, const std::string& label)
{
    EXPECT_EQ(namesIn(folder), (std::set<std::string> {"photo.jpg"})) << label;
    EXPECT_EQ(readFile(folder / "photo.jpg"), testPicture("photo.jpg")) << label;
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0) << label;
    EXPECT_EQ(info.st_mode & 07777, 0755u) << label;
}

std::string fileOf(ImageCache& cache, const std::string& key)
{
    return readFile(cache.defaultCachePathForKey(key)).value_or("");
}
} // namespace

TEST(ImageCache, FilesAreNamedByTheMd5OfTheKeyInTheNamespaceFolder)
{
    ScopedDataFolder folder;
    EXPECT_EQ(ImageCache::cachedFileNameForKey("abc"), "900150983cd24fb0d6963f7d28e17f72"); // RFC 1321
    const auto shared = ImageCache::create("default");
    EXPECT_EQ(shared->diskCachePath(), folder.path() / "caches" / "default" / "com.Quorvell.ImageCache.default");
    EXPECT_EQ(ImageCache::create("x", std::nullopt)->diskCachePath(),
              folder.path() / "caches" / "com.Quorvell.ImageCache.x");
}

// What a picture stored without its downloaded bytes becomes on disk.
TEST(ImageCache, StoredPicturesAreWrittenWholeAndUpright)
{
    ImageTestRig rig;
    rig.cache->shouldCacheImagesInMemory = false;
    const std::string jpeg = testPicture("photo.jpg");
    rig.cache->storeImage(UIImage::imageWithData(jpeg), "opaque");
    rig.cache->storeImage(UIImage::imageWithData(testPicture("interlaced.png")), "alpha");
    rig.cache->storeImage(UIImage::imageWithData(jpeg), true, "\x89PNG\r\n\x1a\nrest", "signature", true);
    rig.cache->storeImage(UIImage::imageWithData(testPicture("exif6-mm.jpg")), "turned");
    // Waiting behind those, the write of downloaded bytes holds them, not the decoded picture.
    const std::weak_ptr<UIImage> given = [&] {
        auto picture = UIImage::imageWithData(jpeg);
        rig.cache->storeImage(picture, false, jpeg, "given", true);
        return picture;
    }();
    EXPECT_TRUE(given.expired());
    rig.settleDisk();
    EXPECT_EQ(fileOf(*rig.cache, "given"), jpeg);
    EXPECT_EQ(fileOf(*rig.cache, "opaque")[0], '\xFF');
    EXPECT_EQ(fileOf(*rig.cache, "alpha")[0], '\x89');
    EXPECT_EQ(fileOf(*rig.cache, "signature")[0], '\x89');
    // The file holds no orientation: the pixels themselves were turned before encoding.
    const auto turned = UIImage::imageWithData(fileOf(*rig.cache, "turned"));
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->size(), (CGSize {8, 16}));
    EXPECT_GT(turned->pixelAt(4, 1).red, 200);
    // No temporary files are left beside the pictures.
    EXPECT_EQ(rig.cache->getDiskCount(), 5u);
}

TEST(ImageCache, QueriesAnswerFromMemoryAtOnceAndFromDiskLater)
{
    ImageTestRig rig;
    rig.cache->storeImage(UIImage::imageWithData(testPicture("photo.jpg")), "k");
    rig.settleDisk();
    rig.cache->clearMemory();
    std::vector<ImageCacheType> answers;
    EXPECT_TRUE(rig.cache->queryDiskCacheForKey("k", [&](UIImagePtr image, ImageCacheType type) {
        EXPECT_TRUE(image);
        answers.push_back(type);
    }));
    EXPECT_TRUE(answers.empty());
    ASSERT_TRUE(pump([&] { return !answers.empty(); }));
    EXPECT_FALSE(rig.cache->queryDiskCacheForKey("k", [&](UIImagePtr, ImageCacheType type) { answers.push_back(type); }));
    EXPECT_EQ(answers, (std::vector {ImageCacheType::Disk, ImageCacheType::Memory}));

    rig.cache->clearMemory();
    bool called = false;
    rig.cache->queryDiskCacheForKey("k", [&](UIImagePtr, ImageCacheType) { called = true; })->cancel();
    rig.settleDisk();
    pump([] { return false; }, 0.05);
    EXPECT_FALSE(called);
}

TEST(ImageCache, CleaningGoesByAgeAndSizeAndNeverFollowsLinks)
{
    ImageTestRig rig;
    const std::string body(3000, 'x');
    for (const char* key : {"old", "young", "a", "b", "c"})
        rig.cache->storeImage(UIImage::imageWithData(testPicture("photo.jpg")), false, body, key, true);
    rig.settleDisk();
    const fs::path outside = rig.folder.path() / "precious";
    ASSERT_TRUE(writeFileAtomically(outside, "keep me"));
    age(outside, 2 * ImageCache::DefaultMaxCacheAge);
    fs::create_symlink(outside, rig.cache->diskCachePath() / "link");
    age(rig.cache->defaultCachePathForKey("old"), ImageCache::DefaultMaxCacheAge + 1);
    age(rig.cache->defaultCachePathForKey("young"), ImageCache::DefaultMaxCacheAge - 60);
    age(rig.cache->defaultCachePathForKey("a"), 30);
    age(rig.cache->defaultCachePathForKey("b"), 20);
    rig.cache->cleanDisk();
    rig.settleDisk();
    EXPECT_FALSE(fs::exists(rig.cache->defaultCachePathForKey("old")));
    EXPECT_TRUE(fs::exists(rig.cache->defaultCachePathForKey("young")));
    EXPECT_EQ(readFile(outside), "keep me");

    // Over the limit, the oldest go until less than half of it is used.
    const auto used = rig.cache->getSize();
    rig.cache->maxCacheSize = 3 * 4096 + 100;
    rig.cache->cleanDisk();
    rig.settleDisk();
    EXPECT_LT(rig.cache->getSize(), used);
    EXPECT_FALSE(fs::exists(rig.cache->defaultCachePathForKey("young")));
    EXPECT_TRUE(fs::exists(rig.cache->defaultCachePathForKey("c")));
    EXPECT_TRUE(fs::exists(outside));

    rig.cache->clearDisk();
    rig.settleDisk();
    EXPECT_TRUE(fs::is_directory(rig.cache->diskCachePath()));
    EXPECT_EQ(rig.cache->getDiskCount(), 0u);
}

// A link where the cache's own folder belongs (the namespace's folder, or "caches" above it) is not
// followed: the cache says so once and keeps pictures in memory only, so neither storing nor any
// clean reaches the user's folder the link leads to.
TEST(ImageCache, ALinkInPlaceOfItsFolderKeepsPicturesInMemoryOnly)
{
    const std::string ns = ImageCache::NamespacePrefix + "default";
    for (const bool cachesLinked : {false, true}) {
        const std::string label = cachesLinked ? "caches" : "namespace folder";
        ScopedDataFolder data;
        const auto user = data.path() / "user";
        // Laid out as the cache would be, so that following the link would reach the photo.
        const auto photos = cachesLinked ? user / "default" / ns : user;
        makeUsersFolder(photos);
        const auto link = cachesLinked ? data.path() / "caches" : data.path() / "caches" / "default" / ns;
        fs::create_directories(link.parent_path());
        fs::create_directory_symlink(user, link);

        LogCapture log;
        const auto cache = ImageCache::create("default");
        EXPECT_EQ(log.lines().size(), 1u) << label;
        EXPECT_TRUE(log.contains("memory only") && log.contains(link.string())) << label;
        cache->storeImage(UIImage::imageWithData(testPicture("photo.jpg")), "k");
        EXPECT_TRUE(cache->imageFromMemoryCacheForKey("k")) << label;
        cache->cleanDisk();
        EXPECT_EQ(cache->getDiskCount(), 0u) << label;
        cache->clearMemory();
        EXPECT_FALSE(cache->imageFromDiskCacheForKey("k")) << label;
        EXPECT_TRUE(UIApplication::sharedApplication().quit(10)) << label;
        expectUsersFolderUntouched(photos, label);
    }
}

// The folder is held from the cache's making: moved away, with a link to a decoy put at its path,
// it is still the one written, read, cleaned and cleared, and the decoy is left as it was.
TEST(ImageCache, TheHeldFolderIsWorkedInAfterItsPathLeadsElsewhere)
{
    ImageTestRig rig;
    const std::string body(3000, 'x');
    const auto picture = UIImage::imageWithData(testPicture("photo.jpg"));
    rig.cache->storeImage(picture, false, body, "old", true);
    rig.settleDisk();
    const auto held = rig.cache->diskCachePath();
    age(rig.cache->defaultCachePathForKey("old"), MonthSeconds);
    // A folder inside is walked too, through its own opening.
    fs::create_directory(held / "inner");
    ASSERT_TRUE(writeFileAtomically(held / "inner" / "stale", body));
    age(held / "inner" / "stale", MonthSeconds);

    const auto moved = rig.folder.path() / "moved";
    const auto decoy = rig.folder.path() / "decoy";
    fs::rename(held, moved);
    makeUsersFolder(decoy);
    fs::create_directory_symlink(decoy, held);

    rig.cache->storeImage(picture, false, testPicture("photo.jpg"), "new", true);
    rig.cache->cleanDisk();
    rig.settleDisk();
    EXPECT_EQ(namesIn(moved), (std::set<std::string> {"inner", ImageCache::cachedFileNameForKey("new")}));
    EXPECT_TRUE(namesIn(moved / "inner").empty());
    EXPECT_TRUE(rig.cache->diskImageExistsWithKey("new"));
    rig.cache->clearMemory();
    EXPECT_TRUE(rig.cache->imageFromDiskCacheForKey("new"));
    expectUsersFolderUntouched(decoy, "after the clean");

    rig.cache->clearDisk();
    rig.settleDisk();
    EXPECT_TRUE(namesIn(moved).empty());
    EXPECT_FALSE(rig.cache->diskImageExistsWithKey("new"));
    expectUsersFolderUntouched(decoy, "after clearing");
}

TEST(ImageCache, MemoryKeepsTheRecentlyUsedWithinItsLimitAndEmptiesOnNotices)
{
    ImageTestRig rig;
    // Out of the box a long shift of pictures stays within a ceiling.
    const auto large = UIImage::imageWithSurface(ImageSurface::create(1024, 768), 1);
    for (int i = 0; i < 40; ++i)
        rig.cache->storeImage(large, std::to_string(i), false);
    EXPECT_LE(rig.cache->memCache().totalCost(), rig.cache->maxMemoryCost());
    EXPECT_LT(rig.cache->memCache().count(), 40u);

    const auto picture = UIImage::imageWithData(testPicture("photo.jpg")); // 16 × 8 pixels, 512 bytes
    constexpr std::size_t cost = 512 + PixelLimits::FrameOverheadBytes;
    rig.cache->setMaxMemoryCost(cost * 5 / 2);
    rig.cache->storeImage(picture, "1", false);
    rig.cache->storeImage(picture, "2", false);
    EXPECT_TRUE(rig.cache->imageFromMemoryCacheForKey("1")); // now the most recent
    rig.cache->storeImage(picture, "3", false);
    EXPECT_TRUE(rig.cache->imageFromMemoryCacheForKey("1"));
    EXPECT_FALSE(rig.cache->imageFromMemoryCacheForKey("2"));
    EXPECT_TRUE(rig.cache->imageFromMemoryCacheForKey("3"));
    // A picture dearer than the whole limit is not kept, and pushes nothing out.
    rig.cache->storeImage(UIImage::placeholder("big", {40, 40}), "big", false);
    EXPECT_FALSE(rig.cache->imageFromMemoryCacheForKey("big"));
    // So is an animation of few pixels and many frames, each with what a frame holds beside them.
    rig.cache->storeImage(UIImage::imageWithData(HostilePictures::gifOfFrames(1, 1, {}, 100)), "frames", false);
    EXPECT_FALSE(rig.cache->imageFromMemoryCacheForKey("frames"));
    EXPECT_EQ(rig.cache->memCache().count(), 2u);

    UIApplication::sharedApplication().receiveMemoryWarning();
    EXPECT_FALSE(rig.cache->imageFromMemoryCacheForKey("1"));

    rig.cache->storeImage(picture, false, std::string(100, 'x'), "expired", true);
    rig.settleDisk();
    age(rig.cache->defaultCachePathForKey("expired"), ImageCache::DefaultMaxCacheAge + 1);
    // Leaving, the program waits for the clean, which asked for time to finish.
    EXPECT_TRUE(UIApplication::sharedApplication().quit(10));
    EXPECT_EQ(UIApplication::sharedApplication().backgroundTaskCount(), 0u);
    EXPECT_FALSE(fs::exists(rig.cache->defaultCachePathForKey("expired")));
}

// The first cache starts the monitor that posts memory warnings. A cache let go on a worker while
// the main thread delivers one is met either alive or not at all.
TEST(ImageCache, CachesStartTheMemoryWarningsAndMeetThemWhenLetGoOnAnotherThread)
{
    ManualMainClock mainLoop; // a fresh main loop, as at launch
    const auto picture = UIImage::placeholder("p", {4, 4});
    AutoPurgeCache survivor("survivor");
    RunLoop::main().runOnce();
    EXPECT_TRUE(MemoryWarningMonitor::shared().isRunning());
    std::atomic<bool> done {false};
    std::thread worker([&] {
        for (int i = 0; i < 15000; ++i)
            std::make_unique<AutoPurgeCache>("passing")->setObject("k", picture, 64);
        done = true;
    });
    while (!done) {
        survivor.setObject("k", picture, 64);
        UIApplication::sharedApplication().receiveMemoryWarning();
        EXPECT_EQ(survivor.count(), 0u);
    }
    worker.join();
}

// Pictures may be lost but must never be served damaged: unlike settings, they are not flushed
// one by one, and only a regular file is a picture, so a pipe in its place cannot stall the queue,
// nor a link serve what it points at; storing the picture replaces what stood in its place.
TEST(ImageCache, PictureFilesAreRegularFilesWrittenWithoutFlushing)
{
    ImageTestRig rig;
    // The link points at a scratch copy: a store through it would overwrite what it points at.
    const auto elsewhere = rig.folder.path() / "elsewhere.jpg";
    ASSERT_TRUE(writeFileAtomically(elsewhere, testPicture("photo.jpg")));
    const std::pair<std::string, std::function<bool(const fs::path&)>> plants[] = {
        {"pipe", [](const fs::path& path) { return ::mkfifo(path.c_str(), 0600) == 0; }},
        {"link", [&](const fs::path& path) { return ::symlink(elsewhere.c_str(), path.c_str()) == 0; }},
        {"folder", [](const fs::path& path) { return fs::create_directories(path / "inside"); }},
    };
    flushes = 0;
    for (const auto& [key, plant] : plants) {
        const auto path = rig.cache->defaultCachePathForKey(key);
        fs::create_directories(path.parent_path());
        ASSERT_TRUE(plant(path)) << key;
        bool answered = false;
        rig.cache->queryDiskCacheForKey(key, [&](UIImagePtr image, ImageCacheType) { answered = !image; });
        const bool inTime = pump([&] { return answered; }, 3);
        if (!inTime) // lets a reader stuck on the pipe go, so that the test ends
            ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
        EXPECT_TRUE(inTime) << key;
        EXPECT_FALSE(rig.cache->diskImageExistsWithKey(key)) << key;
        rig.cache->storeImage(UIImage::imageWithData(testPicture("photo.jpg")), key);
        rig.settleDisk();
        EXPECT_TRUE(rig.cache->diskImageExistsWithKey(key)) << key;
    }
    EXPECT_EQ(readFile(elsewhere), testPicture("photo.jpg"));
    EXPECT_EQ(flushes, 0);
    EXPECT_TRUE(UserDefaults::standard().setObject("Server_Ip", "10.0.0.1"));
    EXPECT_GT(flushes, 0);
}

TEST(ImageCache, ScalingAndCroppingDrawsEveryFrameOnAClearCanvas)
{
    const auto frame = [](double red, double alpha) {
        auto context = CGContext::createBitmap({100, 50}, 1);
        context->setFillColor(UIColor::colorWithRed(red, 0, 1 - red, alpha));
        context->fillRect(CGRectMake(0, 0, 100, 50));
        return context->makeImage();
    };
    const auto animation = UIImage::animatedImageWithImages({frame(1, 1), frame(0, 0)}, 0.2);
    const auto cropped = img_animatedImageByScalingAndCroppingToSize(animation, {50, 50});
    ASSERT_TRUE(cropped);
    ASSERT_EQ(cropped->images().size(), 2u);
    EXPECT_EQ(cropped->size(), (CGSize {50, 50}));
    EXPECT_GT(cropped->images()[0]->pixelAt(25, 25).red, 200);
    EXPECT_EQ(cropped->images()[1]->pixelAt(25, 25).alpha, 0);
    EXPECT_DOUBLE_EQ(cropped->duration(), 0.2);
}

// The shared cache lives to the process's end, and its disk thread ends before the static objects
// it uses go.
TEST(ImageCache, TheSharedCachesDiskThreadEndsBeforeStaticObjectsGo)
{
    const int status = ChildProcess::runAfresh([] { return true; }, []() -> int {
        const auto threads = ChildProcess::settledThreadCount();
        const auto cache = ImageCache::sharedImageCache();
        cache->getSize(); // its disk thread has started and run
        ChildProcess::checkThreadsAtExit(threads);
        std::exit(0);
    });
    EXPECT_EQ(status, 0) << ChildProcess::meaning(status, "3: the disk thread outlived the program");
}

// Made only once the process's end has passed its work, the shared cache leaves no disk thread
// running into the static objects going.
TEST(ImageCache, TheSharedCacheMadeAfterTheEndLeavesNoDiskThread)
{
    const int status = ChildProcess::runAfresh([] { return true; }, []() -> int {
        ChildProcess::checkThreadsAtExit(ChildProcess::settledThreadCount());
        // Made after the check, so gone before it.
        static const struct MadeLate {
            ~MadeLate() { ImageCache::sharedImageCache()->getSize(); }
        } late;
        std::exit(0);
    });
    EXPECT_EQ(status, 0) << ChildProcess::meaning(status, "3: the disk thread outlived the program");
}

// A child forked once the shared cache's disk thread runs has no such thread: its end does not wait
// out the bound for it.
TEST(ImageCache, AForkedChildEndsWithoutWaitingForTheParentsDiskThread)
{
    ImageCache::sharedImageCache()->getSize();
    std::fflush(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const int status = ChildProcess::run([] { return true; }, []() -> int { std::exit(0); }, 10);
    EXPECT_EQ(status, 0);
    // Waiting for the thread would take the whole bound of 2 s; an exit alone takes far less, even
    // with the second that ThreadSanitizer sleeps at every exit.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1800));
}
