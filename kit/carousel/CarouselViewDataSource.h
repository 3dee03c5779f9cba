#pragma once

#include <cstdint>
#include <memory>

class CarouselView;
class UIView;

// Supplies a carousel's pages.
class CarouselViewDataSource {
public:
    virtual ~CarouselViewDataSource() = default;

    virtual std::int64_t numberOfPagesInFlowView(CarouselView& flowView) = 0;
    // The view that shows the page; normally one taken back with dequeueReusableCell. None leaves
    // the page empty until it is placed again.
    virtual std::shared_ptr<UIView> flowViewCellForPageAtIndex(CarouselView& flowView, std::int64_t index) = 0;
};
