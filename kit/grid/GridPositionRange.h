#pragma once

#include <cstdint>

// A run of grid positions [location, location + length). Both are never negative.
struct GridPositionRange {
    std::int64_t location = 0;
    std::int64_t length = 0;

    std::int64_t end() const { return location + length; }
    bool contains(std::int64_t position) const { return position >= location && position < end(); }
    bool operator==(const GridPositionRange&) const = default;
};
