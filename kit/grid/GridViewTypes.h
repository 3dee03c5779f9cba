#pragma once

#include <cstdint>

// Animations of single-item changes (a bit set).
enum GridViewItemAnimation : std::uint32_t {
    GridViewItemAnimationNone = 0,
    GridViewItemAnimationFade = 1u << 0,
    GridViewItemAnimationScroll = 1u << 7,
};

// Where scrollToObjectAtIndex puts the item.
enum GridViewScrollPosition : std::int32_t {
    GridViewScrollPositionNone = 0,
    GridViewScrollPositionTop = 1,
    GridViewScrollPositionMiddle = 2,
    GridViewScrollPositionBottom = 3,
};

// How a dragged item makes room: the items between shift by one, or the two exchange places.
// Every value other than GridViewStyleMove exchanges.
enum GridViewStyle : std::int32_t {
    GridViewStyleMove = 0,
    GridViewStyleExchange = 1,
};
