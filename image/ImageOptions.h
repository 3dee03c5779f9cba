#pragma once

#include <cstdint>
#include <memory>
#include <string>

// Where a picture came from.
enum class ImageCacheType : int { None = 0, Disk = 1, Memory = 2 };

inline const std::string ImageErrorDomain = "ImageErrorDomain";

// The bytes of a downloaded picture, one buffer shared by everyone who waited for it.
using ImageData = std::shared_ptr<const std::string>;

// Options of a picture load (the manager and the view entries).
using ImageLoadOptions = unsigned;
inline constexpr ImageLoadOptions ImageLoadRetryFailed = 1;
inline constexpr ImageLoadOptions ImageLoadLowPriority = 2;
inline constexpr ImageLoadOptions ImageLoadMemoryOnly = 4;
inline constexpr ImageLoadOptions ImageLoadProgressive = 8;
inline constexpr ImageLoadOptions ImageLoadRefreshCached = 16;
inline constexpr ImageLoadOptions ImageLoadContinueInBackground = 32;
inline constexpr ImageLoadOptions ImageLoadHandleCookies = 64;
inline constexpr ImageLoadOptions ImageLoadAllowInvalidCertificates = 128;
inline constexpr ImageLoadOptions ImageLoadHighPriority = 256;
inline constexpr ImageLoadOptions ImageLoadDelayPlaceholder = 512;
inline constexpr ImageLoadOptions ImageLoadTransformAnimated = 1024;
inline constexpr ImageLoadOptions ImageLoadAvoidAutoSetImage = 2048;

// Options of one download.
using ImageDownloadOptions = unsigned;
inline constexpr ImageDownloadOptions ImageDownloadLowPriority = 1;
inline constexpr ImageDownloadOptions ImageDownloadProgressive = 2;
inline constexpr ImageDownloadOptions ImageDownloadUseURLCache = 4;
inline constexpr ImageDownloadOptions ImageDownloadIgnoreCachedResponse = 8;
inline constexpr ImageDownloadOptions ImageDownloadContinueInBackground = 16;
inline constexpr ImageDownloadOptions ImageDownloadHandleCookies = 32;
inline constexpr ImageDownloadOptions ImageDownloadAllowInvalidCertificates = 64;
inline constexpr ImageDownloadOptions ImageDownloadHighPriority = 128;

enum class ImageDownloadOrder : int { FIFO = 0, LIFO = 1 };

// Downloaded bodies and cache files beyond this are refused: no picture the venue serves comes
// near it, and a hostile or broken server must not make us allocate without bound.
inline constexpr std::size_t ImageMaxDataBytes = 32 * 1024 * 1024;
