#pragma once

#include <compare>
#include <string>

// A row of a table: its section and its place in that section.
struct NSIndexPath {
    int section = 0;
    int row = 0;

    static NSIndexPath indexPathForRowInSection(int row, int section) { return {section, row}; }
    auto operator<=>(const NSIndexPath&) const = default;
    std::string description() const
    {
        // Appended in turn: gcc 12 warns falsely (-Wrestrict) about "[" + std::to_string(...) at -O3.
        std::string text = "[";
        text += std::to_string(section);
        text += ", ";
        text += std::to_string(row);
        text += ']';
        return text;
    }
};
