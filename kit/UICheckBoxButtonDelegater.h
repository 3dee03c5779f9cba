#pragma once

// Told of taps on a check box: its position and the state the tap asks for.
class UICheckBoxButtonDelegater {
public:
    virtual ~UICheckBoxButtonDelegater() = default;
    virtual void checkBoxButtonClick(int position, bool checked) = 0;
};
