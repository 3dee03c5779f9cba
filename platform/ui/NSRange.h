#pragma once

#include <cstddef>

// A stretch of text: its first character and how many characters it spans. Text fields count
// in code points.
struct NSRange {
    std::size_t location = 0;
    std::size_t length = 0;
    bool operator==(const NSRange&) const = default;
};
