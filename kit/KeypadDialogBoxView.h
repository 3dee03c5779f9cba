#pragma once

#include "platform/ui/UIView.h"

#include <memory>

// The visible box of the keypad dialog: a light grey top-to-bottom gradient with rounded
// corners, a thin border and a faint shadow.
class KeypadDialogBoxView : public UIView {
public:
    static std::shared_ptr<KeypadDialogBoxView> create(const CGRect& frame);
    explicit KeypadDialogBoxView(const CGRect& frame);

    void drawRect(const CGRect& rect) override;
};
