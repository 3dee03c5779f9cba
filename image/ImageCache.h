#pragma once

#include "image/AutoPurgeCache.h"
#include "image/ImageCacheQuery.h"
#include "image/ImageOptions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OpenFolder.h"
#include "platform/foundation/SerialQueue.h"
#include "platform/graphics/UIImage.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Pictures by key (a URL's text) in memory and on disk.
//
// Disk: one file per picture named by the MD5 of its key (32 lower-case hex digits, no
// extension), in <caches>/<namespace>/com.Quorvell.ImageCache.<namespace> for the shared cache,
// where <caches> is the "caches" folder of the data folder. That folder is opened once, as the
// cache is made, and every file in it is reached through that opening: a folder renamed away or
// swapped for a link meanwhile changes nothing. Where it cannot be opened (a link stands on the
// way inside the data folder, or at the folder itself), the cache says so once and keeps its
// pictures in memory only. Files are written whole (a temporary file renamed into place) and read
// back only up to ImageMaxDataBytes. Files not changed for maxCacheAge seconds go when the
// application terminates or enters the background, and with a maxCacheSize the oldest go until
// half of it is left.
//
// The memory level counts pictures by the memory they hold (UIImage::memoryBytes) and keeps at most
// maxMemoryCost of them (AutoPurgeCache's default unless set; 0: no limit). It is safe from any thread. Disk
// work runs on one serial queue; completions are queued to the main thread.
class ImageCache : public std::enable_shared_from_this<ImageCache> {
public:
    using QueryDone = std::function<void(UIImagePtr, ImageCacheType)>;
    using Completion = std::function<void()>;

    static inline const std::string NamespacePrefix = "com.Quorvell.ImageCache.";
    static constexpr double DefaultMaxCacheAge = 604800;

    static std::shared_ptr<ImageCache> sharedImageCache();
    static std::shared_ptr<ImageCache> create(const std::string& ns = "default");
    // With no directory, the folder is makeDiskCachePath of the full namespace. A directory named
    // may be reached through links, as its caller's; the namespace's folder in it may not.
    static std::shared_ptr<ImageCache> create(const std::string& ns, const std::optional<std::filesystem::path>& directory);
    // The namespace's folder in directory, made when missing and held from then on.
    ImageCache(const std::string& ns, const OpenFolder& directory);
    ~ImageCache();
    ImageCache(const ImageCache&) = delete;
    ImageCache& operator=(const ImageCache&) = delete;

    // Paths.
    static std::filesystem::path makeDiskCachePath(const std::string& name);
    static std::string cachedFileNameForKey(const std::string& key);
    static std::filesystem::path cachePathForKey(const std::string& key, const std::filesystem::path& folder);
    std::filesystem::path defaultCachePathForKey(const std::string& key) const;
    // For messages: the folder is reached through its opening, never through this path.
    const std::filesystem::path& diskCachePath() const { return m_diskCachePath; }
    void addReadOnlyCachePath(const std::filesystem::path& path);

    // Storing.
    // The bytes of one download are written once, however many of its callers store them.
    void storeImage(const UIImagePtr& image, bool recalculate, ImageData data, const std::string& key, bool toDisk);
    void storeImage(const UIImagePtr& image, bool recalculate, std::optional<std::string> data,
                    const std::string& key, bool toDisk);
    void storeImage(const UIImagePtr& image, const std::string& key, bool toDisk = true);

    // Reading.
    UIImagePtr imageFromMemoryCacheForKey(const std::string& key);
    UIImagePtr imageFromDiskCacheForKey(const std::string& key);
    std::optional<std::string> diskImageDataBySearchingAllPathsForKey(const std::string& key) const;
    UIImagePtr diskImageForKey(const std::string& key) const;
    UIImagePtr scaledImageForKey(const std::string& key, const UIImagePtr& image) const;
    // Null after answering at once (no key, no block, or a memory hit).
    std::shared_ptr<ImageCacheQuery> queryDiskCacheForKey(const std::string& key, QueryDone done);
    bool diskImageExistsWithKey(const std::string& key) const;
    void diskImageExistsWithKey(const std::string& key, std::function<void(bool)> completion);

    // Removing and cleaning.
    void removeImageForKey(const std::string& key, bool fromDisk = true, Completion completion = {});
    void clearMemory();
    void clearDisk(Completion completion = {});
    void cleanDisk(Completion completion = {});
    void backgroundCleanDisk();

    // Sizes (they wait for the disk queue: never call them from work running on it).
    std::uint64_t getSize();
    std::uint64_t getDiskCount();
    void calculateSizeWithCompletionBlock(std::function<void(std::uint64_t count, std::uint64_t size)> completion);

    // Settings.
    std::atomic<bool> shouldDecompressImages {true};
    std::atomic<bool> shouldDisableiCloud {true};
    std::atomic<bool> shouldCacheImagesInMemory {true};
    std::atomic<double> maxCacheAge {DefaultMaxCacheAge};
    std::atomic<std::uint64_t> maxCacheSize {0};
    std::size_t maxMemoryCost() const { return m_memCache.totalCostLimit(); }
    void setMaxMemoryCost(std::size_t cost) { m_memCache.setTotalCostLimit(cost); }
    std::size_t maxMemoryCountLimit() const { return m_memCache.countLimit(); }
    void setMaxMemoryCountLimit(std::size_t count) { m_memCache.setCountLimit(count); }
    AutoPurgeCache& memCache() { return m_memCache; }

    // A picture's memory cost: the bytes of its pixels and a fixed cost for each frame.
    static std::size_t costOf(const UIImage& image);

private:
    static std::shared_ptr<ImageCache> createIn(const std::string& ns, const OpenFolder& directory);
    void observeApplication();
    bool isFirstWrite(const std::string& key, const ImageData& data);
    std::optional<std::string> encodedBytes(const UIImage& image, const ImageData& data) const;
    void writeToDisk(const std::string& bytes, const std::string& key);
    void cleanDiskNow();
    std::vector<std::filesystem::path> customPaths() const;

    std::string m_fullNamespace;
    SharedFolder m_diskFolder;
    std::filesystem::path m_diskCachePath;
    AutoPurgeCache m_memCache;
    mutable std::mutex m_pathsMutex;
    std::vector<std::filesystem::path> m_customPaths;
    std::mutex m_writesMutex;
    // The bytes last queued for each key while they live: the callers of one download share them.
    std::map<std::string, std::weak_ptr<const std::string>> m_lastWrites;
    std::vector<NotificationCenter::Token> m_observers;
    // Last: destroyed first, so queued disk work finishes while the rest is still there.
    SerialQueue m_ioQueue;
};
