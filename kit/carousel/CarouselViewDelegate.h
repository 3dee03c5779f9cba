#pragma once

#include "platform/graphics/CGGeometry.h"

#include <cstdint>

class CarouselView;

// Gives a carousel its page size and hears where a swipe came to rest.
class CarouselViewDelegate {
public:
    virtual ~CarouselViewDelegate() = default;

    virtual CGSize sizeForPageInFlowView(CarouselView& flowView) = 0;
    // A swipe came to rest on another page than the last one.
    virtual void didScrollToPage(std::int64_t /*page*/, CarouselView& /*flowView*/) {}
};
