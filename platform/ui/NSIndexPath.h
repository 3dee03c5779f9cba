#pragma once

#include <compare>
#include <string>

// A row of a table: its section and its place in that section.
struct NSIndexPath {
    int section = 0;
    int row = 0;

    static NSIndexPath indexPathForRowInSection(int row, int section) { return {section, row}; }
    auto operator<=>(const NSIndexPath&) const = default;
    std::string description() const { return "[" + std::to_string(section) + ", " + std::to_string(row) + "]"; }
};
