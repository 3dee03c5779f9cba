#pragma once

#include "platform/foundation/NSURL.h"

#include <cstdint>
#include <optional>

class ImagePrefetcher;

// What a prefetcher reports as its list runs. Both are optional.
class ImagePrefetcherDelegate {
public:
    virtual ~ImagePrefetcherDelegate() = default;
    // After each finished load.
    virtual void imagePrefetcherDidPrefetchURL(ImagePrefetcher&, const std::optional<NSURL>& /*url*/,
                                               std::uint64_t /*finishedCount*/, std::uint64_t /*totalCount*/)
    {
    }
    // When the list is done: the pictures that came, and the loads that brought none.
    virtual void imagePrefetcherDidFinishWithTotalCount(ImagePrefetcher&, std::uint64_t /*totalCount*/,
                                                        std::uint64_t /*skippedCount*/)
    {
    }
};
