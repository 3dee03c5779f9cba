#pragma once

#include <vector>

// Told what a check-box group holds after a tap.
class CheckBoxGroupChangeDelegate {
public:
    virtual ~CheckBoxGroupChangeDelegate() = default;
    // Radio group: the position now checked.
    virtual void radioResult(int position) = 0;
    // Multiple choice: the checked positions in the order they were checked (a copy).
    virtual void checkResult(std::vector<int> positions) = 0;
};
