#include "image/ImageCache.h"

#include "image/DiskFiles.h"
#include "image/ScaledImageForKey.h"
#include "image/UIImageForceDecode.h"
#include "image/UIImageMultiFormat.h"
#include "platform/foundation/MainThread.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/ProcessExit.h"
#include "platform/graphics/PngCodec.h"
#include "platform/ui/UIApplication.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

#include <openssl/evp.h>

namespace fs = std::filesystem;

namespace {
// How long the process's end waits for the disk work under way.
constexpr std::chrono::milliseconds kExitWait {2000};

void stopAtExit(SerialQueue& diskQueue)
{
    if (!diskQueue.stopWithin(kExitWait))
        NSLog("picture cache: its disk work did not end in %lld ms at exit", static_cast<long long>(kExitWait.count()));
}
} // namespace

std::shared_ptr<ImageCache> ImageCache::sharedImageCache()
{
    // Never destroyed, like the process's other singletons; at the process's end its disk thread
    // is stopped before the statics it uses go away. What was queued for the disk and not begun is
    // dropped: a cache may lose files, and the clean of old pictures had its background time.
    // Made once that end has passed its work, it is stopped at once: the disk thread, which its
    // queue starts as it is made, is joined before anyone can give it work, and later work is dropped.
    static const auto* shared = [] {
        auto* cache = new std::shared_ptr<ImageCache>(create("default"));
        if (!ProcessExit::add([] { stopAtExit(sharedImageCache()->m_ioQueue); }))
            stopAtExit((*cache)->m_ioQueue);
        return cache;
    }();
    return *shared;
}

namespace {
// The data folder's "caches", made when missing; never reached through a link.
OpenFolder dataCachesFolder()
{
    return Paths::openDataFolder()->subfolder("caches", 0700);
}

SharedFolder openNamespaceFolder(const OpenFolder& directory, const std::string& fullNamespace)
{
    auto folder = std::make_shared<const OpenFolder>(directory.subfolder(fullNamespace, 0700));
    if (!folder->isOpen())
        NSLog("picture cache: %s cannot be used, so pictures are kept in memory only: %s", folder->path().c_str(),
              folder->problem().c_str());
    return folder;
}
} // namespace

std::shared_ptr<ImageCache> ImageCache::create(const std::string& ns)
{
    return createIn(ns, dataCachesFolder().subfolder(ns, 0700));
}

std::shared_ptr<ImageCache> ImageCache::create(const std::string& ns, const std::optional<fs::path>& directory)
{
    if (!directory)
        return createIn(ns, dataCachesFolder());
    return createIn(ns, OpenFolder::open(*directory, OpenFolder::Links::Follow, 0777));
}

std::shared_ptr<ImageCache> ImageCache::createIn(const std::string& ns, const OpenFolder& directory)
{
    auto cache = std::make_shared<ImageCache>(ns, directory);
    cache->observeApplication();
    return cache;
}

ImageCache::ImageCache(const std::string& ns, const OpenFolder& directory)
    : m_fullNamespace(NamespacePrefix + ns)
    , m_diskFolder(openNamespaceFolder(directory, m_fullNamespace))
    , m_diskCachePath(m_diskFolder->path())
    , m_memCache(m_fullNamespace)
    , m_ioQueue("com.Quorvell.ImageCache")
{
}

ImageCache::~ImageCache() = default;

void ImageCache::observeApplication()
{
    std::weak_ptr<ImageCache> weak = weak_from_this();
    auto& center = NotificationCenter::defaultCenter();
    m_observers.push_back(center.addObserver(UIApplicationDidReceiveMemoryWarningNotification, [weak](const Notification&) {
        if (auto self = weak.lock())
            self->clearMemory();
    }));
    // Both cleans ask for background time, so that the program waits for them before it exits.
    m_observers.push_back(center.addObserver(UIApplicationWillTerminateNotification, [weak](const Notification&) {
        if (auto self = weak.lock())
            self->backgroundCleanDisk();
    }));
    m_observers.push_back(center.addObserver(UIApplicationDidEnterBackgroundNotification, [weak](const Notification&) {
        if (auto self = weak.lock())
            self->backgroundCleanDisk();
    }));
}

fs::path ImageCache::makeDiskCachePath(const std::string& name)
{
    return Paths::dataFolder() / "caches" / name;
}

std::string ImageCache::cachedFileNameForKey(const std::string& key)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(key.data(), key.size(), digest, &length, EVP_md5(), nullptr);
    std::string name;
    char hex[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", digest[i]);
        name += hex;
    }
    return name;
}

fs::path ImageCache::cachePathForKey(const std::string& key, const fs::path& folder)
{
    return folder / cachedFileNameForKey(key);
}

fs::path ImageCache::defaultCachePathForKey(const std::string& key) const
{
    return cachePathForKey(key, m_diskCachePath);
}

void ImageCache::addReadOnlyCachePath(const fs::path& path)
{
    std::lock_guard lock(m_pathsMutex);
    if (std::find(m_customPaths.begin(), m_customPaths.end(), path) == m_customPaths.end())
        m_customPaths.push_back(path);
}

std::vector<fs::path> ImageCache::customPaths() const
{
    std::lock_guard lock(m_pathsMutex);
    return m_customPaths;
}

std::size_t ImageCache::costOf(const UIImage& image)
{
    return image.memoryBytes();
}

void ImageCache::storeImage(const UIImagePtr& image, const std::string& key, bool toDisk)
{
    storeImage(image, true, ImageData(), key, toDisk);
}

void ImageCache::storeImage(const UIImagePtr& image, bool recalculate, std::optional<std::string> data,
                            const std::string& key, bool toDisk)
{
    storeImage(image, recalculate, data ? std::make_shared<const std::string>(std::move(*data)) : ImageData(), key,
               toDisk);
}

// The disk queue may be far behind: what waits there holds the bytes to write, and the decoded
// picture (many times their size) only when it has to be encoded.
void ImageCache::storeImage(const UIImagePtr& image, bool recalculate, ImageData data, const std::string& key,
                            bool toDisk)
{
    if (!image || key.empty())
        return;
    if (shouldCacheImagesInMemory)
        m_memCache.setObject(key, image, costOf(*image));
    if (!toDisk || !m_diskFolder->isOpen() || !isFirstWrite(key, data))
        return;
    if (data && !recalculate) {
        m_ioQueue.async([this, data = std::move(data), key] { writeToDisk(*data, key); });
        return;
    }
    m_ioQueue.async([this, image, data = std::move(data), key] {
        if (const auto bytes = encodedBytes(*image, data))
            writeToDisk(*bytes, key);
    });
}

bool ImageCache::isFirstWrite(const std::string& key, const ImageData& data)
{
    if (!data)
        return true;
    std::lock_guard lock(m_writesMutex);
    std::erase_if(m_lastWrites, [](const auto& entry) { return entry.second.expired(); });
    auto& last = m_lastWrites[key];
    if (last.lock() == data)
        return false;
    last = data;
    return true;
}

// Runs on the disk queue. Pictures we encode ourselves are drawn upright first: the file has no
// room for an orientation, so a sideways camera picture would come back sideways.
std::optional<std::string> ImageCache::encodedBytes(const UIImage& image, const ImageData& data) const
{
    const auto alpha = image.alphaInfo();
    bool png = alpha != CGImageAlphaInfo::None && alpha != CGImageAlphaInfo::NoneSkipLast
        && alpha != CGImageAlphaInfo::NoneSkipFirst;
    if (data && data->size() >= 8)
        png = PngCodec::hasSignature(*data);
    const auto upright = image.uprightImage();
    return png ? upright->pngData() : upright->jpegData(1.0);
}

void ImageCache::writeToDisk(const std::string& bytes, const std::string& key)
{
    const OpenFolder& folder = *m_diskFolder;
    const auto name = cachedFileNameForKey(key);
    // Whatever else took the picture's name (a pipe, a link) is replaced by the rename; only a
    // folder has to go first.
    if (const auto info = folder.statusOf(name); info && S_ISDIR(info->st_mode))
        folder.removeAll(name);
    // The cache's folder is its own whole: every killed write's leftover there is one of its files.
    const auto cachesOwnNames = [](std::string_view) { return true; };
    if (!folder.writeWhole(name, bytes, 0600, FileFlush::Skip, cachesOwnNames))
        return;
    if (shouldDisableiCloud)
        DiskFiles::markExcludedFromBackup(folder, name);
}

UIImagePtr ImageCache::imageFromMemoryCacheForKey(const std::string& key)
{
    return m_memCache.objectForKey(key);
}

UIImagePtr ImageCache::imageFromDiskCacheForKey(const std::string& key)
{
    if (auto image = imageFromMemoryCacheForKey(key))
        return image;
    auto image = diskImageForKey(key);
    if (image && shouldCacheImagesInMemory)
        m_memCache.setObject(key, image, costOf(*image));
    return image;
}

std::optional<std::string> ImageCache::diskImageDataBySearchingAllPathsForKey(const std::string& key) const
{
    if (m_diskFolder->isOpen()) {
        if (auto bytes = m_diskFolder->read(cachedFileNameForKey(key), ImageMaxDataBytes))
            return bytes;
    }
    for (const auto& folder : customPaths()) {
        if (auto bytes = readStoredFile(cachePathForKey(key, folder), ImageMaxDataBytes))
            return bytes;
    }
    return std::nullopt;
}

UIImagePtr ImageCache::diskImageForKey(const std::string& key) const
{
    const auto data = diskImageDataBySearchingAllPathsForKey(key);
    if (!data)
        return nullptr;
    auto image = scaledImageForKey(key, img_imageWithData(*data));
    return shouldDecompressImages ? decodedImageWithImage(image) : image;
}

UIImagePtr ImageCache::scaledImageForKey(const std::string& key, const UIImagePtr& image) const
{
    return ScaledImageForKey(key, image);
}

std::shared_ptr<ImageCacheQuery> ImageCache::queryDiskCacheForKey(const std::string& key, QueryDone done)
{
    if (!done)
        return nullptr;
    if (key.empty()) {
        done(nullptr, ImageCacheType::None);
        return nullptr;
    }
    if (auto image = imageFromMemoryCacheForKey(key)) {
        done(image, ImageCacheType::Memory);
        return nullptr;
    }
    auto query = std::make_shared<ImageCacheQuery>();
    m_ioQueue.async([this, query, key, done = std::move(done)] {
        if (query->isCancelled())
            return;
        auto image = diskImageForKey(key);
        if (image && shouldCacheImagesInMemory)
            m_memCache.setObject(key, image, costOf(*image));
        MainThread::async([query, image, done] {
            if (!query->isCancelled())
                done(image, ImageCacheType::Disk);
        });
    });
    return query;
}

bool ImageCache::diskImageExistsWithKey(const std::string& key) const
{
    // Only what a read would serve counts: a regular file, not a link, pipe or folder.
    const auto info = m_diskFolder->statusOf(cachedFileNameForKey(key));
    return info && S_ISREG(info->st_mode);
}

void ImageCache::diskImageExistsWithKey(const std::string& key, std::function<void(bool)> completion)
{
    m_ioQueue.async([this, key, completion = std::move(completion)] {
        const bool exists = diskImageExistsWithKey(key);
        if (completion)
            MainThread::async([completion, exists] { completion(exists); });
    });
}
